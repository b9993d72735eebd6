#ifndef UPDATE_E2E_FIXTURE_H
#define UPDATE_E2E_FIXTURE_H

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FirmwareImage.h"
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
    std::string question;              // text of the question "Firmwareupdate" answered first
};

std::string itemText(HWND dialog, int id);
void click(HWND dialog, int id);
// True when text starts with prefix.
bool startsWith(std::string const& text, std::string const& prefix);

class UpdE2eFixture : public ::testing::Test
{
protected:
    static const unsigned DEVICE = 1;
    // Bytes at 0x0000-0x0002 and 0x7000-0x7001 (version 1.08).
    static std::map<unsigned, unsigned char> smallImage();
    // Writes a file beside the test's artefacts; returns its Windows path.
    static std::string writeFile(std::string const& name, std::string const& content);
    std::string smallImageFile() { return writeFile("small-image.hex", makeIntelHex(smallImage())); }

    void SetUp() override;
    void TearDown() override;

    // Starts the program; the Info page must come without a message box.
    void startAtInfoPage(std::string const& arguments);
    HWND openUpdatePage();
    // A visible dialog "Firmwareupdate" of the program that has (or, with a negative id, lacks)
    // that control; null when none comes in time.
    HWND firmwareDialog(int controlId, DWORD timeoutMs = 20000);

    // Every firmware payload the command station received, in order.
    std::vector<Payload> firmwarePayloads();
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

    // A program runs once: a test that starts it again takes a new one.
    void restart() { app.reset(new KrxApp()); }
    std::unique_ptr<KrxApp> app{new KrxApp()};
};

#endif
