// Fault sweep: for payload positions K of a whole update, a run in which the K-th firmware
// request fails. A failure stops the run at K with the error box and no reset; failures of the
// write-mode (10 ...) and reset (08 ...) payloads are dropped and the run carries on.
// UPD_SWEEP=all runs every position of the built-in image (scripts/fault-sweep); otherwise a
// sample of them.
#include <stdlib.h>

#include <set>

#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

namespace
{
const long STATUS_DEVICE_NOT_CONNECTED_CODE = (long)0xC000009D;

bool isIgnoredCommand(Payload const& p)
{
    return p == command(0x10, 0x00) || p == command(0x10, 0x01) || p == command(0x10, 0x03)
           || p == command(0x08);
}
}

class UpdE2eFaultSweep : public UpdE2eFixture
{
protected:
    // One clean run; its payloads are what every faulty run is measured against.
    std::vector<Payload> reference(HWND page)
    {
        SimClient::vlxClearLog(DEVICE);
        EXPECT_EQ(runOnce(page).errorBox, "");
        return firmwarePayloads();
    }

    UpdateRun runOnce(HWND page)
    {
        HWND dialog = NULL;
        UpdateRun run = update(page, IDC_FIRMWARE_UPDATE, IDYES, &dialog);
        if (dialog != NULL)
            closeProgress(dialog, page);
        return run;
    }

    // Runs the sweep over the given 1-based positions; returns how many runs were checked.
    unsigned sweep(HWND page, std::vector<Payload> const& full, std::set<size_t> const& positions)
    {
        unsigned runs = 0;
        for (size_t k : positions) {
            SimClient::vlxClearFailures(DEVICE);
            SimClient::vlxClearLog(DEVICE);
            SimClient::vlxFail(DEVICE, VLX_WRITE_FIRMWARE_BLOCK, STATUS_DEVICE_NOT_CONNECTED_CODE,
                               (unsigned)(k - 1));
            UpdateRun run = runOnce(page);
            std::vector<Payload> got = firmwarePayloads();
            Payload const& failed = full[k - 1];
            if (isIgnoredCommand(failed)) {
                EXPECT_EQ(run.errorBox, "") << "K=" << k << " (" << hexText(failed) << ")";
                EXPECT_EQ(run.finalStatus, "Firmwareupdate erfolgreich abgeschlossen.") << "K=" << k;
                EXPECT_EQ(got, full) << "K=" << k << ": the run did not carry on";
            } else {
                EXPECT_TRUE(startsWith(run.errorBox, "Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n"))
                    << "K=" << k << ": " << run.errorBox;
                EXPECT_EQ(run.finalStatus, "Firmwareupdate nicht erfolgreich.") << "K=" << k;
                // The failed request is logged; nothing follows it, so no reset either.
                EXPECT_EQ(got, std::vector<Payload>(full.begin(), full.begin() + k))
                    << "K=" << k << ": " << got.size() << " payloads";
            }
            ++runs;
            if (HasFailure())
                break;
        }
        return runs;
    }
};

TEST_F(UpdE2eFaultSweep, EveryPositionOfASmallImage)
{
    startAtInfoPage("-s" + smallImageFile());
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    std::vector<Payload> full = reference(page);
    ASSERT_EQ(full.size(), 9u);
    std::set<size_t> all;
    for (size_t k = 1; k <= full.size(); ++k)
        all.insert(k);
    EXPECT_EQ(sweep(page, full, all), 9u);
}

TEST_F(UpdE2eFaultSweep, PositionsOfTheBuiltInImage)
{
    startAtInfoPage("");
    HWND page = openUpdatePage();
    ASSERT_NE(page, (HWND)NULL);
    std::vector<Payload> full = reference(page);
    ASSERT_GT(full.size(), 100u);
    std::set<size_t> positions;
    char const* mode = getenv("UPD_SWEEP");
    if (mode != nullptr && std::string(mode) == "all") {
        for (size_t k = 1; k <= full.size(); ++k)
            positions.insert(k);
    } else {
        // Both ends, every command, the parts' first and last payloads, and a spread between.
        for (size_t k = 1; k <= full.size(); ++k) {
            Payload const& p = full[k - 1];
            bool edge = k <= 3 || k + 2 >= full.size() || (p.size() == 4 && p[0] != 0x02);
            bool neighbour = k >= 2 && full[k - 2].size() == 4 && full[k - 2][0] != 0x02;
            if (edge || neighbour || k % 37 == 0)
                positions.insert(k);
        }
    }
    unsigned runs = sweep(page, full, positions);
    printf("fault sweep: %u of %zu positions of the built-in image\n", runs, full.size());
    RecordProperty("positions", (int)runs);
    RecordProperty("payloads", (int)full.size());
}
