#include "UpdE2eFixture.h"

#include <commctrl.h>
#include <stdio.h>

#include <fstream>
#include <sstream>

#include "VlxUsbCodes.h"
#include "resource.h"

std::string itemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item == NULL ? "<no control>" : KrxApp::text(item);
}

void click(HWND dialog, int id)
{
    KrxApp::press(GetDlgItem(dialog, id));
}

std::map<unsigned, unsigned char> UpdE2eFixture::smallImage()
{
    return {{0x0000, 0x02}, {0x0001, 0x0B}, {0x0002, 0x33}, {0x7000, 0x01}, {0x7001, 0x08}};
}

std::string const& UpdE2eFixture::builtInHex()
{
    static std::string text;
    if (text.empty()) {
        std::ifstream in(windowsPath(KRX_FIRMWARE_HEX), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        text = content.str();
    }
    return text;
}

std::string UpdE2eFixture::writeFile(std::string const& name, std::string const& content)
{
    std::string folder = windowsPath(KRX_ARTEFACTS);
    CreateDirectoryA(folder.c_str(), NULL);
    std::string path = folder + "\\" + name;
    std::ofstream out(path, std::ios::binary);
    out << content;
    out.close();
    return out ? path : std::string();
}

void UpdE2eFixture::SetUp()
{
    try {
        SimClient::resetAll();
        SimClient::vlxAdd(DEVICE);
        SimClient::krxAdd(DEVICE);
    } catch (std::exception& e) {
        FAIL() << "simulated devices not reachable: " << e.what();
    }
}

void UpdE2eFixture::TearDown()
{
    if (app->isRunning()) {
        EXPECT_EQ(app->close(), 0) << "the program did not end when its main window was closed";
    }
}

void UpdE2eFixture::startAtInfoPage(std::string const& arguments)
{
    ASSERT_TRUE(app->start(arguments)) << "could not start the program, error " << GetLastError();
    ASSERT_NE(app->waitPage(IDC_VLX_DRIVER_TEXT), (HWND)NULL) << "no Info page";
    EXPECT_EQ(app->findDialog("Fehler"), (HWND)NULL) << "unexpected error box";
}

HWND UpdE2eFixture::openUpdatePage()
{
    // The tabs are there once the main window shows (after any box of the Info page).
    if (app->waitPage(IDC_VLX_DRIVER_TEXT) == NULL || !app->selectTab(std::string("Update"))) {
        std::string seen;
        for (std::string const& t : app->tabTexts())
            seen += " [" + t + "]";
        for (HWND d : app->dialogs())
            seen += " dialog \"" + KrxApp::text(d) + "\"";
        if (!app->isRunning())
            seen += " (the program has ended with " + std::to_string(app->waitExit(0)) + ")";
        ADD_FAILURE() << "the tab \"Update\" could not be picked; seen:" << seen;
        return NULL;
    }
    HWND page = app->waitPage(IDC_FIRMWARE_UPDATE);
    EXPECT_NE(page, (HWND)NULL) << "the Update page did not appear";
    return page;
}

std::string UpdE2eFixture::smallImageFile()
{
    std::string path = writeFile("small-image.hex", makeIntelHex(smallImage()));
    EXPECT_FALSE(path.empty());
    return path;
}

HWND UpdE2eFixture::topDialog(char const* caption, int controlId, DWORD timeoutMs)
{
    HWND found = NULL;
    auto look = [&] {
        for (HWND d : app->dialogs()) {
            bool has = GetDlgItem(d, controlId < 0 ? -controlId : controlId) != NULL;
            if (KrxApp::text(d) == caption && (controlId == 0 || has == (controlId > 0))) {
                found = d;
                return true;
            }
        }
        return false;
    };
    if (!look() && timeoutMs > 0)
        waitUntil(look, timeoutMs);
    return found;
}

std::vector<Payload> UpdE2eFixture::firmwarePayloads()
{
    std::vector<Payload> payloads;
    for (SimRequest const& r : SimClient::vlxLog(DEVICE))
        if (r.code == VLX_WRITE_FIRMWARE_BLOCK)
            payloads.push_back(r.payload);
    return payloads;
}

std::string UpdE2eFixture::answerQuestion(int button)
{
    HWND box = topDialog("Firmwareupdate", -IDC_PROGRESS_BAR);
    if (box == NULL) {
        ADD_FAILURE() << "no question \"Firmwareupdate\"";
        return "";
    }
    std::string text = KrxApp::messageBoxText(box);
    click(box, button);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }, 10000)) << "the question stayed open";
    return text;
}

HWND UpdE2eFixture::progressDialog()
{
    HWND dialog = topDialog("Firmwareupdate", IDC_PROGRESS_BAR);
    EXPECT_NE(dialog, (HWND)NULL) << "no progress dialog";
    return dialog;
}

UpdateRun UpdE2eFixture::follow(HWND dialog, DWORD timeoutMs)
{
    UpdateRun run;
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    HWND ok = GetDlgItem(dialog, IDOK);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        // Read the state before testing OK, so that the last texts are seen too.
        bool enabled = IsWindowEnabled(ok) != 0;
        std::string status = itemText(dialog, IDC_PROGRESS_STATUS);
        DWORD_PTR position = 0;
        SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
        if (run.statuses.empty() || run.statuses.back() != status)
            run.statuses.push_back(status);
        if (run.progress.empty() || run.progress.back() != (int)position)
            run.progress.push_back((int)position);
        if (enabled) {
            run.finished = true;
            run.finalStatus = status;
            run.finalProgress = (int)position;
            break;
        }
        HWND box = app->findDialog("Fehler beim Firmwareupdate");
        if (box != NULL) {
            EXPECT_TRUE(run.errorBox.empty()) << "a second error box";
            run.errorBox = KrxApp::messageBoxText(box);
            EXPECT_FALSE(IsWindowEnabled(ok)) << "OK was enabled before the error box was closed";
            click(box, IDOK);
            EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }, 10000));
        }
        Sleep(2);
    }
    return run;
}

void UpdE2eFixture::closeProgress(HWND dialog, HWND owner)
{
    click(dialog, IDOK);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10000)) << "OK did not close the dialog";
    DWORD_PTR result;
    EXPECT_TRUE(SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result))
        << "the page did not come back after the update";
}

std::string UpdE2eFixture::answerBox(char const* caption, int button, DWORD timeoutMs)
{
    HWND box = app->waitDialog(caption, timeoutMs);
    if (box == NULL) {
        ADD_FAILURE() << "no message box \"" << caption << "\"";
        return "";
    }
    std::string text = KrxApp::messageBoxText(box);
    click(box, button);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }, 10000)) << "the box stayed open";
    return text;
}
