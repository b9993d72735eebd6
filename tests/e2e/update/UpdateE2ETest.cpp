// The firmware update from the Update page, with the real program and the simulated command
// station: what the dialog shows, step by step. Which payloads an update sends is the engine's
// matter and is tested in-process (tests/firmware).
#include "UpdE2eFixture.h"

#include <commctrl.h>

#include <algorithm>

#include "resource.h"

namespace
{
typedef std::vector<std::string> Texts;

const char* const INIT = "Initialisiere das Update.";
const char* const EMERGENCY_PART = "Schreibe neue Firmware für den Notbetrieb.";
const char* const NORMAL_PART = "Schreibe neue Firmware für den Normalbetrieb.";
const char* const RESET = "Reset der Firmware.";
const char* const DONE = "Firmwareupdate erfolgreich abgeschlossen.";
const char* const FAILED = "Firmwareupdate nicht erfolgreich.";
const char* const SAME =
    "Die Version 1.08 ist bereits installiert.\nFirmwareupdate trotzdem starten?";

// The first state may be gone before the test finds the dialog.
template <typename T>
std::vector<T> withoutFirst(std::vector<T> values, T const& first)
{
    if (!values.empty() && values.front() == first)
        values.erase(values.begin());
    return values;
}
}

class UpdE2eUpdatePage : public UpdE2eFixture
{};

TEST_F(UpdE2eUpdatePage, NormalDeviceFromFileShowsEveryStepInOrder)
{
    SimClient::vlxSetVersion(DEVICE, 1, 5, 0);
    std::string file = smallImageFile();
    startAtInfoPage("-s" + file);
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), "1.05");
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "1.08");
    EXPECT_EQ(itemText(page, IDC_SOURCE), file);
    EXPECT_NE(app.screenshot(app.mainWindow(), "update-page"), "");

    // Late-completing requests make every step last long enough to be seen.
    SimClient::vlxSetPending(DEVICE, 400);
    SimClient::vlxClearLog(DEVICE);
    click(page, IDC_FIRMWARE_UPDATE);
    ASSERT_NE(app.waitDialog("Firmwareupdate", 20000), (HWND)NULL) << "no question";
    // What the device reports once it runs the new firmware: read again only after the update.
    SimClient::vlxSetVersion(DEVICE, 1, 8, 0);
    // The file changes too, but the page keeps the available version of the source it loaded.
    writeFile("small-image.hex", smallImage(2, 8));
    HWND dialog = NULL;
    UpdateRun run = update(NULL, 0, IDYES, &dialog);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.question, "Wollen Sie das Firmwareupdate auf Version 1.08 jetzt starten?");
    EXPECT_EQ(withoutFirst(run.statuses, std::string()),
              (Texts{INIT, EMERGENCY_PART, NORMAL_PART, RESET, DONE}));
    EXPECT_EQ(withoutFirst(run.progress, 0), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(run.errorBox, "");
    EXPECT_NE(app.screenshot(dialog, "progress-dialog-end"), "");
    SimClient::vlxSetPending(DEVICE, 0, false);
    closeProgress(dialog, page);
    EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), "1.08") << "installed version not read again";
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "1.08");
    EXPECT_EQ(itemText(page, IDC_SOURCE), file);
}

// Runs of the small image without the question on a device in emergency mode, and in test mode
// ("Notbetrieb testen" stops after the emergency part).
struct ModeRun
{
    char const* name;
    bool emergencyDevice;
    int button;
    char const* question; // null: none may come
    Texts statuses;
    std::vector<int> progress;
    char const* errorBox;
    char const* finalStatus;
};

class UpdE2eModeRun : public UpdE2eFixture, public ::testing::WithParamInterface<ModeRun>
{};

TEST_P(UpdE2eModeRun, ShowsItsStepsAndEnd)
{
    ModeRun const& c = GetParam();
    SCOPED_TRACE(c.name);
    SimClient::vlxSetVersion(DEVICE, 1, 8, c.emergencyDevice ? 1 : 0);
    if (c.emergencyDevice) {
        ASSERT_TRUE(app.start("-s" + smallImageFile()));
        EXPECT_NE(answerBox("Notfallbetrieb", IDCANCEL), "");
    } else {
        startAtInfoPage("-s" + smallImageFile());
    }
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    ASSERT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_TEST_EMERGENCY))) << "no test button with -s";
    EXPECT_EQ(itemText(page, IDC_TEST_EMERGENCY), "Notbetrieb testen");
    SimClient::vlxSetPending(DEVICE, 300);
    HWND dialog = NULL;
    UpdateRun run = update(page, c.button, c.question ? IDYES : 0, &dialog);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(firmwareDialog(-IDC_PROGRESS_BAR, 0), (HWND)NULL) << "a question besides the dialog";
    if (c.question) {
        EXPECT_EQ(run.question, c.question);
    }
    EXPECT_EQ(withoutFirst(run.statuses, std::string()), c.statuses);
    EXPECT_EQ(withoutFirst(run.progress, 0), c.progress);
    EXPECT_EQ(run.finalProgress, c.progress.back());
    EXPECT_EQ(run.errorBox, c.errorBox);
    EXPECT_EQ(run.finalStatus, c.finalStatus);
    SimClient::vlxSetPending(DEVICE, 0, false);
    closeProgress(dialog, page);
}

INSTANTIATE_TEST_SUITE_P(Rows, UpdE2eModeRun,
                         ::testing::Values(ModeRun{"emergency update",
                                                   true,
                                                   IDC_FIRMWARE_UPDATE,
                                                   nullptr,
                                                   {INIT, NORMAL_PART, RESET, DONE},
                                                   {1, 3, 4},
                                                   "",
                                                   DONE},
                                           ModeRun{"test mode",
                                                   false,
                                                   IDC_TEST_EMERGENCY,
                                                   SAME,
                                                   {INIT, EMERGENCY_PART, FAILED},
                                                   {1, 2},
                                                   "Testabbruch!",
                                                   FAILED}));

TEST_F(UpdE2eUpdatePage, DialogAnswersWithin100msAndIgnoresEscapeWhileRequestsArePending)
{
    startAtInfoPage("-s" + smallImageFile());
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    SimClient::vlxSetPending(DEVICE, 150);
    click(page, IDC_FIRMWARE_UPDATE);
    EXPECT_NE(answerBox("Firmwareupdate", IDYES), "");
    HWND dialog = firmwareDialog(IDC_PROGRESS_BAR);
    ASSERT_NE(dialog, (HWND)NULL);
    HWND ok = GetDlgItem(dialog, IDOK);
    unsigned answered = 0, missed = 0;
    DWORD slowest = 0, start = GetTickCount();
    while (!IsWindowEnabled(ok) && GetTickCount() - start < 30000) {
        DWORD before = GetTickCount();
        DWORD_PTR result;
        if (SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result))
            ++answered;
        else
            ++missed;
        slowest = std::max(slowest, GetTickCount() - before);
        // Escape, its cancel command and a stray command must all leave the dialog open.
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_PROGRESS_STATUS, 0);
        Sleep(10);
        ASSERT_TRUE(IsWindow(dialog)) << "the dialog ended before its worker had finished";
    }
    ASSERT_TRUE(IsWindowEnabled(ok));
    EXPECT_EQ(missed, 0u) << "answered " << answered << ", slowest " << slowest << " ms";
    EXPECT_GT(answered, 50u) << "the run was too short to show anything";
    // The bar's position, posted after the cancel command to the same thread, shows that the
    // command has been served.
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(bar, PBM_SETPOS, 3, 0);
    EXPECT_TRUE(waitUntil(
        [&] { return !IsWindow(bar) || SendMessageA(bar, PBM_GETPOS, 0, 0) == 3; }, 5000));
    EXPECT_TRUE(IsWindow(dialog)) << "cancel closed the finished dialog";
    SimClient::vlxSetPending(DEVICE, 0, false);
    closeProgress(dialog, page);
}
