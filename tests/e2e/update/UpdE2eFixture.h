#ifndef UPDATE_E2E_FIXTURE_H
#define UPDATE_E2E_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HexRecord.h"
#include "KrxApp.h"
#include "SimClient.h"

// What a test saw of one run of the progress dialog.
struct UpdateRun
{
    std::vector<std::string> statuses; // each new status text, in order
    std::vector<int> progress;         // each new bar position, in order
    std::string errorBox;              // text of the box "Fehler beim Firmwareupdate", if one came
    bool finished = false;             // OK was enabled within the time limit
    std::string finalStatus;
    int finalProgress = -1;
    std::string question; // text of the question "Firmwareupdate" answered first
};

std::string itemText(HWND dialog, int id);
void click(HWND dialog, int id);
// True when text starts with prefix.
bool startsWith(std::string const& text, std::string const& prefix);
// The command station (and feedback interface) every test starts with.
unsigned const DEVICE = 1;
// Intel HEX text of bytes 02 0B 33 at 0x0000 and the version major.minor at 0x7000.
std::string smallImage(unsigned char major = 1, unsigned char minor = 8);

class UpdE2eFixture : public ::testing::Test
{
protected:
    // Writes a file beside the test's artefacts; returns its Windows path.
    static std::string writeFile(std::string const& name, std::string const& content);
    std::string smallImageFile() { return writeFile("small-image.hex", smallImage()); }

    void SetUp() override;
    void TearDown() override;

    // Starts the program; the Info page must come without a message box.
    void startAtInfoPage(std::string const& arguments);
    HWND openUpdatePage();
    // A visible dialog "Firmwareupdate" that has (or, with a negative id, lacks) that control.
    HWND firmwareDialog(int controlId, DWORD timeoutMs = 20000)
    {
        return app.waitDialog("Firmwareupdate", timeoutMs, controlId);
    }
    // True when the command station received a firmware request.
    bool firmwareSent();
    // Answers a message box with this caption with that button and returns its text.
    std::string answerBox(char const* caption, int button = IDOK);
    // Follows the progress dialog until OK is enabled, answering the error box on the way.
    UpdateRun follow(HWND dialog);
    // Presses the page's button (no page: the update is already under way), answers the
    // question (unless answer is 0; after IDNO it checks that no update starts) and follows
    // the progress dialog; the dialog in *dialog.
    UpdateRun update(HWND page, int pageButton, int answer, HWND* dialog = nullptr);
    // Presses OK and waits until the dialog is gone and the page that opened it is idle.
    void closeProgress(HWND dialog, HWND owner);

    KrxApp app;
};

#endif
