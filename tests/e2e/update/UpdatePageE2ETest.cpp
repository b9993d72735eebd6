// The Update page's versions, questions and failure rows with the real program.
#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

class UpdE2eVersions : public UpdE2eFixture
{};

// The device's version, the image's, what the page shows and the question it asks (answered
// No: nothing is sent).
struct VersionRow
{
    unsigned char major, minor, imageMajor, imageMinor;
    char const* installed;
    char const* available;
    char const* question;
};

class UpdE2eQuestion : public UpdE2eFixture, public ::testing::WithParamInterface<VersionRow>
{};

TEST_P(UpdE2eQuestion, DependsOnHowTheVersionsCompare)
{
    VersionRow const& c = GetParam();
    SimClient::vlxSetVersion(DEVICE, c.major, c.minor, 0);
    startAtInfoPage("-s" + writeFile("versions.hex", smallImage(c.imageMajor, c.imageMinor)));
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), c.installed);
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), c.available);
    EXPECT_EQ(update(page, IDC_FIRMWARE_UPDATE, IDNO).question, c.question);
    EXPECT_FALSE(firmwareSent());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpdE2eQuestion,
    ::testing::Values(
        VersionRow{1, 5, 1, 6, "1.05", "1.06",
                   "Wollen Sie das Firmwareupdate auf Version 1.06 jetzt starten?"},
        VersionRow{1, 6, 1, 6, "1.06", "1.06",
                   "Die Version 1.06 ist bereits installiert.\nFirmwareupdate trotzdem starten?"},
        VersionRow{2, 0, 1, 6, "2.00", "1.06",
                   "Es ist bereits die neuere Version 2.00 installiert.\nFirmwareupdate trotzdem "
                   "starten?"},
        VersionRow{1, 99, 2, 0, "1.99", "2.00",
                   "Wollen Sie das Firmwareupdate auf Version 2.00 jetzt starten?"},
        VersionRow{0, 7, 12, 34, "0.07", "12.34",
                   "Wollen Sie das Firmwareupdate auf Version 12.34 jetzt starten?"}));

// An image without version bytes shows the version of the erased cells, 654.35.
TEST_F(UpdE2eVersions, ImageWithoutVersionBytes)
{
    std::string file = writeFile("no-version.hex",
                                 hexRecord(0, 0, "\x12\x34") + "\r\n" + END_RECORD);
    startAtInfoPage("-s" + file);
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_SOURCE), file);
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), "654.35");
}

// A failed version request (parameter false) leaves only the installed version empty; a device
// gone gives two boxes (installed version and the image's check) and no versions.
class UpdE2eVersionReadFailure : public UpdE2eFixture, public ::testing::WithParamInterface<bool>
{};

TEST_P(UpdE2eVersionReadFailure, ShowsItsBoxesAndLeavesTheFieldsEmpty)
{
    bool const gone = GetParam();
    startAtInfoPage("");
    // The Info page has asked its one version request; the page's first one fails.
    if (gone)
        SimClient::vlxRemove(DEVICE);
    else
        SimClient::vlxFail(DEVICE, VLX_GET_FIRMWARE_VERSION, (long)0xC000009D);
    ASSERT_TRUE(app.selectTab(std::string("Update")));
    for (int box = 0; box < (gone ? 2 : 1); ++box) {
        std::string text = answerBox("Fehler beim Erkennen der Firmwareversion");
        EXPECT_TRUE(startsWith(text,
                               gone ? "Fehler beim Öffnen des Vlx-Usb-Treibers.\n"
                                    : "Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n"))
            << text;
    }
    HWND page = app.waitPage(IDC_FIRMWARE_UPDATE);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_INSTALLED_VERSION), "");
    EXPECT_EQ(itemText(page, IDC_AVAILABLE_VERSION), gone ? "" : "1.08");
    EXPECT_EQ(itemText(page, IDC_SOURCE), "intern");
    EXPECT_EQ(app.findDialog("Fehler beim Erkennen der Firmwareversion"), (HWND)NULL)
        << "one box too many";
}

INSTANTIATE_TEST_SUITE_P(DeviceGone, UpdE2eVersionReadFailure, ::testing::Bool());
