// The Update page's versions, questions and failure rows with the real program.
#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

class UpdE2eVersions : public UpdE2eFixture
{
};

// Each row: the device's version, the image's, what the page shows and the question it asks
// (answered No: nothing is sent).
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
        SCOPED_TRACE(std::string("installed ") + c.installed + ", available " + c.available);
        SetUp();
        restart();
        SimClient::vlxSetVersion(DEVICE, c.major, c.minor, 0);
        std::map<unsigned, unsigned char> bytes = smallImage();
        bytes[0x7000] = c.imageMajor;
        bytes[0x7001] = c.imageMinor;
        startAtInfoPage("-s" + writeFile("versions.hex", makeIntelHex(bytes)));
        HWND page = openUpdatePage();
        ASSERT_NE(page, (HWND)NULL);
        EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), c.installed);
        EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), c.available);
        EXPECT_EQ(update(page, IDC_FIRMWARE_UPDATE, IDNO).question, c.question);
        EXPECT_TRUE(firmwarePayloads().empty());
        EXPECT_EQ(app->close(), 0);
    }
}

// An image without version bytes shows 654.35; a missing file falls back to the built-in image
// without a box.
TEST_F(UpdE2eVersions, SourceRowsOfTheAvailableVersion)
{
    struct Case
    {
        std::string file;
        char const* source;
        char const* available;
    } const cases[] = {
        {writeFile("no-version.hex", makeIntelHex({{0x0000, 0x12}, {0x0001, 0x34}})), nullptr, "654.35"},
        {"Z:\\nowhere\\missing.hex", "intern", "1.08"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.file);
        restart();
        startAtInfoPage("-s" + c.file);
        HWND page = openUpdatePage();
        ASSERT_NE(page, (HWND)NULL);
        EXPECT_EQ(itemText(page, IDC_SOURCE), c.source ? c.source : c.file);
        EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), c.available);
        EXPECT_EQ(app->findDialog("Fehler beim Laden der Updatedaten"), (HWND)NULL);
        EXPECT_EQ(app->close(), 0);
    }
}

class UpdE2eUpdatePageFailures : public UpdE2eFixture
{
};

// A failed version request leaves only the installed version empty; a device gone gives two
// boxes (installed version and the image's check) and no versions.
TEST_F(UpdE2eUpdatePageFailures, VersionReadFailures)
{
    for (bool gone : {false, true}) {
        SCOPED_TRACE(gone ? "device gone" : "version request fails");
        SetUp();
        restart();
        startAtInfoPage("");
        // The Info page has asked its one version request; the page's first one fails.
        if (gone)
            SimClient::vlxRemove(DEVICE);
        else
            SimClient::vlxFail(DEVICE, VLX_GET_FIRMWARE_VERSION, (long)0xC000009D);
        ASSERT_TRUE(app->selectTab(std::string("Update")));
        for (int box = 0; box < (gone ? 2 : 1); ++box) {
            std::string text = answerBox("Fehler beim Erkennen der Firmwareversion");
            EXPECT_TRUE(startsWith(text, gone ? "Fehler beim Öffnen des Vlx-Usb-Treibers.\n"
                                              : "Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n")) << text;
        }
        HWND page = app->waitPage(IDC_FIRMWARE_UPDATE);
        ASSERT_NE(page, (HWND)NULL);
        EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), "");
        EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), gone ? "" : "1.08");
        EXPECT_EQ(itemText(page, IDC_SOURCE), "intern");
        EXPECT_EQ(app->findDialog("Fehler beim Erkennen der Firmwareversion"), (HWND)NULL) << "one box too many";
        EXPECT_EQ(app->close(), 0);
    }
}
