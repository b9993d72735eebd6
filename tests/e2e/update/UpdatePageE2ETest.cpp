// The Update page's versions, questions and failure rows with the real program.
#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

class UpdE2eVersions : public UpdE2eFixture
{
protected:
    // Opens the page with an image of version imageMajor.imageMinor on a device reporting
    // major.minor, presses "Firmwareupdate", answers No and returns the question.
    std::string questionFor(unsigned char major, unsigned char minor, unsigned char imageMajor,
                            unsigned char imageMinor, std::string* installed = nullptr,
                            std::string* available = nullptr)
    {
        SetUp();
        restart();
        SimClient::vlxSetVersion(DEVICE, major, minor, 0);
        std::map<unsigned, unsigned char> bytes = smallImage();
        bytes[0x7000] = imageMajor;
        bytes[0x7001] = imageMinor;
        startAtInfoPage("-s" + writeFile("versions.hex", makeIntelHex(bytes)));
        HWND page = openUpdatePage();
        if (page == NULL)
            return "<no page>";
        if (installed)
            *installed = itemText(page, IDC_INSTALLED_VERSION);
        if (available)
            *available = itemText(page, IDC_AVAILABLE_VERSION);
        click(page, IDC_FIRMWARE_UPDATE);
        std::string question = answerQuestion(IDNO);
        EXPECT_EQ(topDialog("Firmwareupdate", IDC_PROGRESS_BAR, 500), (HWND)NULL) << "No started an update";
        EXPECT_TRUE(firmwarePayloads().empty());
        EXPECT_EQ(app->close(), 0);
        return question;
    }
};

TEST_F(UpdE2eVersions, QuestionDependsOnHowTheVersionsCompare)
{
    struct Case
    {
        unsigned char major, minor, imageMajor, imageMinor;
        char const* installed;
        char const* available;
        char const* question;
    } const cases[] = {
        {1, 5, 1, 6, "1.05", "1.06", "Wollen Sie das Firmwareupdate auf Version 1.06 jetzt starten?"},
        {1, 6, 1, 6, "1.06", "1.06", "Die Version 1.06 ist bereits installiert.\nFirmwareupdate trotzdem starten?"},
        {2, 0, 1, 6, "2.00", "1.06", "Es ist bereits die neuere Version 2.00 installiert.\nFirmwareupdate trotzdem starten?"},
        {1, 99, 2, 0, "1.99", "2.00", "Wollen Sie das Firmwareupdate auf Version 2.00 jetzt starten?"},
        {0, 7, 12, 34, "0.07", "12.34", "Wollen Sie das Firmwareupdate auf Version 12.34 jetzt starten?"},
    };
    for (Case const& c : cases) {
        std::string installed, available;
        std::string question = questionFor(c.major, c.minor, c.imageMajor, c.imageMinor, &installed, &available);
        EXPECT_EQ(installed, c.installed);
        EXPECT_EQ(available, c.available);
        EXPECT_EQ(question, c.question) << "installed " << c.installed << ", available " << c.available;
    }
}

TEST_F(UpdE2eVersions, ImageWithoutVersionBytesShows65435)
{
    startAtInfoPage("-s" + writeFile("no-version.hex", makeIntelHex({{0x0000, 0x12}, {0x0001, 0x34}})));
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "654.35");
}

TEST_F(UpdE2eVersions, MissingFileFallsBackToTheBuiltInImageSilently)
{
    startAtInfoPage("-sZ:\\nowhere\\missing.hex");
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_SOURCE), "intern");
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "1.08");
    EXPECT_EQ(app->findDialog("Fehler beim Laden der Updatedaten"), (HWND)NULL);
}

class UpdE2eUpdatePageFailures : public UpdE2eFixture
{
};

TEST_F(UpdE2eUpdatePageFailures, FailedVersionRequestLeavesOnlyTheInstalledVersionEmpty)
{
    startAtInfoPage("");
    // The Info page has asked its one version request; the page's first one fails.
    SimClient::vlxFail(DEVICE, VLX_GET_FIRMWARE_VERSION, (long)0xC000009D);
    ASSERT_TRUE(app->selectTab(std::string("Update")));
    std::string text = answerBox("Fehler beim Erkennen der Firmwareversion");
    EXPECT_EQ(text.rfind("Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n", 0), 0u) << text;
    HWND page = app->waitPage(IDC_FIRMWARE_UPDATE);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), "");
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "1.08");
    EXPECT_EQ(app->findDialog("Fehler beim Erkennen der Firmwareversion"), (HWND)NULL) << "a second box";
}

TEST_F(UpdE2eUpdatePageFailures, DeviceGoneGivesTwoBoxesAndNoVersions)
{
    startAtInfoPage("");
    SimClient::vlxRemove(DEVICE);
    ASSERT_TRUE(app->selectTab(std::string("Update")));
    for (int box = 0; box < 2; ++box) {
        std::string text = answerBox("Fehler beim Erkennen der Firmwareversion");
        EXPECT_EQ(text.rfind("Fehler beim Öffnen des Vlx-Usb-Treibers.\n", 0), 0u) << text;
    }
    HWND page = app->waitPage(IDC_FIRMWARE_UPDATE);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), "");
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "");
    EXPECT_EQ(itemText(page, IDC_SOURCE), "intern");
}
