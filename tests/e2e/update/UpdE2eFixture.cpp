#include "UpdE2eFixture.h"

#include <commctrl.h>

#include <fstream>

#include "VlxUsbCodes.h"
#include "resource.h"

std::string itemText(HWND dialog, int id)
{
    return KrxApp::text(GetDlgItem(dialog, id));
}

void click(HWND dialog, int id)
{
    KrxApp::press(GetDlgItem(dialog, id));
}

bool startsWith(std::string const& text, std::string const& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string smallImage(unsigned char major, unsigned char minor)
{
    return hexRecord(0x0000, 0, "\x02\x0B\x33") + "\r\n" +
        hexRecord(0x7000, 0, std::string{char(major), char(minor)}) + "\r\n" + END_RECORD + "\r\n";
}

std::string UpdE2eFixture::writeFile(std::string const& name, std::string const& content)
{
    std::string folder = windowsPath(KRX_ARTEFACTS);
    CreateDirectoryA(folder.c_str(), NULL);
    std::ofstream out(folder + "\\" + name, std::ios::binary);
    out << content;
    out.close();
    EXPECT_TRUE(out.good()) << "could not write " << name;
    return folder + "\\" + name;
}

void UpdE2eFixture::SetUp()
{
    SimClient::resetAll();
    SimClient::vlxAdd(DEVICE);
    SimClient::krxAdd(DEVICE);
}

void UpdE2eFixture::TearDown()
{
    if (app.isRunning()) {
        EXPECT_EQ(app.close(), 0) << "the program did not end when its main window was closed";
    }
}

void UpdE2eFixture::startAtInfoPage(std::string const& arguments)
{
    ASSERT_TRUE(app.start(arguments)) << "could not start the program, error " << GetLastError();
    ASSERT_NE(app.waitPage(IDC_VLX_DRIVER_TEXT), (HWND)NULL) << "no Info page";
    EXPECT_EQ(app.findDialog("Fehler"), (HWND)NULL) << "unexpected error box";
}

HWND UpdE2eFixture::openUpdatePage()
{
    // The tabs are there once the main window shows (after any box of the Info page).
    if (app.waitPage(IDC_VLX_DRIVER_TEXT) == NULL || !app.selectTab(std::string("Update"))) {
        std::string seen;
        for (std::string const& t : app.tabTexts())
            seen += " [" + t + "]";
        for (HWND d : app.dialogs())
            seen += " dialog \"" + KrxApp::text(d) + "\"";
        ADD_FAILURE() << "the tab \"Update\" could not be picked; seen:" << seen;
        return NULL;
    }
    HWND page = app.waitPage(IDC_FIRMWARE_UPDATE);
    EXPECT_NE(page, (HWND)NULL) << "the Update page did not appear";
    return page;
}

bool UpdE2eFixture::firmwareSent()
{
    for (SimRequest const& r : SimClient::vlxLog(DEVICE))
        if (r.code == VLX_WRITE_FIRMWARE_BLOCK)
            return true;
    return false;
}

std::string UpdE2eFixture::answerBox(char const* caption, int button)
{
    std::string error;
    std::string text = app.answer(caption, button, 20000, &error);
    EXPECT_EQ(error, "");
    return text;
}

UpdateRun UpdE2eFixture::follow(HWND dialog)
{
    UpdateRun run;
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    HWND ok = GetDlgItem(dialog, IDOK);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
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
        HWND box = app.findDialog("Fehler beim Firmwareupdate");
        if (box != NULL) {
            EXPECT_TRUE(run.errorBox.empty()) << "a second error box";
            run.errorBox = KrxApp::messageBoxText(box);
            EXPECT_FALSE(IsWindowEnabled(ok)) << "OK was enabled before the error box was closed";
            click(box, IDOK);
            EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }, 10000));
        }
        Sleep(2);
    }
    EXPECT_TRUE(run.finished) << "OK never enabled";
    return run;
}

UpdateRun UpdE2eFixture::update(HWND page, int pageButton, int answer, HWND* dialog)
{
    std::string question;
    if (page != NULL)
        click(page, pageButton);
    if (answer != 0) {
        HWND box = firmwareDialog(-IDC_PROGRESS_BAR);
        if (box == NULL) {
            ADD_FAILURE() << "no question \"Firmwareupdate\"";
            return UpdateRun();
        }
        question = KrxApp::messageBoxText(box);
        click(box, answer);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }, 10000)) << "the question stayed open";
        if (answer == IDNO) {
            EXPECT_EQ(firmwareDialog(IDC_PROGRESS_BAR, 500), (HWND)NULL) << "No started an update";
            UpdateRun none;
            none.question = question;
            return none;
        }
    }
    HWND progress = firmwareDialog(IDC_PROGRESS_BAR);
    if (dialog != nullptr)
        *dialog = progress;
    if (progress == NULL) {
        ADD_FAILURE() << "no progress dialog";
        return UpdateRun();
    }
    UpdateRun run = follow(progress);
    run.question = question;
    return run;
}

void UpdE2eFixture::closeProgress(HWND dialog, HWND owner)
{
    click(dialog, IDOK);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10000))
        << "OK did not close the dialog";
    DWORD_PTR result;
    EXPECT_TRUE(SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result))
        << "the page did not come back after the update";
}
