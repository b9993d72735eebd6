// The update engine in-process against the simulated command station: steps, bar and payloads
// of whole runs, and a failure at every request position of the built-in image.
#include <gtest/gtest.h>

#include "FirmwareUpdate.h"
#include "HexTestUtil.h"
#include "SimClient.h"
#include "UpdateListener.h"
#include "VlxUsbCodes.h"

namespace
{
unsigned char const DEVICE = 1;
typedef std::vector<std::string> Texts;
typedef std::vector<unsigned char> Payload;

char const INIT[] = "Initialisiere das Update.";
char const EMERGENCY[] = "Schreibe neue Firmware für den Notbetrieb.";
char const NORMAL[] = "Schreibe neue Firmware für den Normalbetrieb.";
char const RESET[] = "Reset der Firmware.";
char const DONE[] = "Firmwareupdate erfolgreich abgeschlossen.";
long const DEVICE_NOT_CONNECTED = static_cast<long>(0xC000009D);

struct UpdateRun : UpdateListener
{
    Texts statuses;
    std::vector<unsigned int> steps;
    std::string error; // the Exception's first line
    unsigned int failedRequest = 0;
    unsigned int planned = 0;
    void notifyUpdateStatus(char const* text) override { statuses.push_back(text); }
    void notifyUpdateProgress(unsigned int position) override { steps.push_back(position); }
};

UpdateRun runUpdate(IntelHexData& source, bool testMode)
{
    UpdateRun run;
    FirmwareUpdate update(DEVICE, source, testMode, run, 0);
    try {
        update.run();
    } catch (Exception& e) {
        std::string text = e.what();
        run.error = text.substr(0, text.find('\n'));
    }
    run.failedRequest = update.failedRequest();
    run.planned = update.requestsPlanned();
    return run;
}

std::vector<Payload> payloads()
{
    std::vector<Payload> out;
    for (SimRequest const& r : SimClient::vlxLog(DEVICE))
        if (r.code == VLX_WRITE_FIRMWARE_BLOCK)
            out.push_back(r.payload);
    SimClient::vlxClearLog(DEVICE);
    return out;
}

Payload cmd(unsigned char code, unsigned char flags = 0)
{
    return {code, 0, 0, flags};
}

class FirmwareUpdateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(DEVICE);
    }
    void TearDown() override { SimClient::resetAll(); }
};
}

// Bytes 02 0B 33 at 0x0000, the version 1.08 at 0x7000 and the three top cells, which are never
// sent, on a device in either mode, with and without test mode, and sources or devices that fail
// before anything is written.
TEST_F(FirmwareUpdateTest, RunsOfASmallImage)
{
    std::string small = hexRecord(0x7000, 0, "\x01\x08") + "\r\n" +
        hexRecord(0x0000, 0, "\x02\x0B\x33") + "\r\n" + hexRecord(0x7FFD, 0, "\x7F\x7F\x7F") +
        "\r\n" + END_RECORD;
    std::string broken = small;
    broken[broken.find("\r\n") - 1] ^= 1;
    Payload const emergencyBlock = {0x01, 0x00, 0x70, 0x01, 0x08},
                  normalBlock = {0x01, 0x00, 0x00, 0x02, 0x0B, 0x33};
    struct Case
    {
        char const* name;
        std::string const& text;
        int mode; // the device's mode byte; -1: no device
        bool testMode;
        Texts statuses;
        std::vector<unsigned int> steps;
        char const* error;
        std::vector<Payload> sent;
    } const cases[] = {
        {"normal device",
         small,
         0,
         false,
         {INIT, EMERGENCY, NORMAL, RESET, DONE},
         {1, 2, 3, 4},
         "",
         {cmd(0x10), cmd(0x10, 1), emergencyBlock, cmd(2), cmd(4), cmd(0x10, 3), normalBlock,
          cmd(2), cmd(8)}},
        {"emergency device",
         small,
         1,
         false,
         {INIT, NORMAL, RESET, DONE},
         {1, 3, 4},
         "",
         {cmd(0x10), cmd(0x10, 3), normalBlock, cmd(2), cmd(8)}},
        {"test mode",
         small,
         0,
         true,
         {INIT, EMERGENCY},
         {1, 2},
         "Testabbruch!",
         {cmd(0x10), cmd(0x10, 1), emergencyBlock, cmd(2), cmd(4)}},
        {"test mode, emergency device", small, 255, true, {INIT}, {1}, "Testabbruch!", {cmd(0x10)}},
        {"bad checksum", broken, 0, false, {INIT}, {}, "Ungültige Prüfsumme.", {cmd(0x10)}},
        {"no device", small, -1, false, {INIT}, {}, "Fehler beim Öffnen des Vlx-Usb-Treibers.", {}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        SimClient::vlxClearLog(DEVICE);
        if (c.mode < 0)
            SimClient::vlxRemove(DEVICE);
        else
            SimClient::vlxSetVersion(DEVICE, 1, 5, static_cast<unsigned char>(c.mode));
        IntelHexData source(c.text.data(), static_cast<unsigned int>(c.text.size()));
        UpdateRun run = runUpdate(source, c.testMode);
        EXPECT_EQ(run.statuses, c.statuses);
        EXPECT_EQ(run.steps, c.steps);
        EXPECT_EQ(run.error, c.error);
        EXPECT_EQ(run.failedRequest, 0u);
        if (c.mode >= 0) {
            EXPECT_EQ(payloads(), c.sent);
        }
        if (c.statuses.size() > 1) {
            EXPECT_EQ(run.planned, c.sent.size());
        }
        if (c.mode < 0)
            SimClient::vlxAdd(DEVICE);
    }
}

// For every position K of a whole update of the built-in image, a run whose K-th firmware
// request fails: it stops there, names K and sends nothing after it (no reset); only failures
// of the write-mode and reset commands are dropped and the run carries on.
TEST_F(FirmwareUpdateTest, FailureAtEveryRequestOfTheBuiltInImage)
{
    IntelHexData source(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    UpdateRun reference = runUpdate(source, false);
    ASSERT_EQ(reference.error, "");
    std::vector<Payload> full = payloads();
    ASSERT_GT(full.size(), 100u);
    EXPECT_EQ(reference.planned, full.size());
    for (size_t k = 1; k <= full.size(); ++k) {
        SimClient::vlxClearFailures(DEVICE);
        SimClient::vlxFail(DEVICE, VLX_WRITE_FIRMWARE_BLOCK, DEVICE_NOT_CONNECTED,
                           static_cast<unsigned>(k - 1));
        UpdateRun run = runUpdate(source, false);
        std::vector<Payload> got = payloads();
        Payload const& p = full[k - 1];
        if (p == cmd(0x10) || p == cmd(0x10, 1) || p == cmd(0x10, 3) || p == cmd(8)) {
            EXPECT_EQ(run.error, "") << "K=" << k;
            EXPECT_EQ(run.statuses.back(), DONE) << "K=" << k;
            EXPECT_EQ(got, full) << "K=" << k << ": the run did not carry on";
        } else {
            EXPECT_EQ(run.error, "Fehler beim Zugriff auf den Vlx-Usb-Treiber.") << "K=" << k;
            EXPECT_EQ(run.failedRequest, k);
            EXPECT_EQ(got, std::vector<Payload>(full.begin(), full.begin() + k)) << "K=" << k;
        }
        if (HasFailure())
            break;
    }
    RecordProperty("positions", static_cast<int>(full.size()));
    printf("fault sweep: %zu positions of the built-in image\n", full.size());
}
