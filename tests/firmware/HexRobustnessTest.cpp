// Mutated and truncated Intel HEX: every variant gives an image or one of the reader's five
// texts, without crash, hang or leak. Which text fits which fault is the parse tests' matter.
#include <gtest/gtest.h>

#include <random>

#include "HexTestUtil.h"
#include "PrivateBytes.h"

namespace
{
// The reader's texts; an image has none.
char const* const TEXTS[] = {"Unerwartetes Datenende.", "Ungültiges Zeichen gefunden.",
                             "Ungültiger Recordtyp.",   "Daten in ungültigen Adressraum.",
                             "Ungültige Prüfsumme.",    ""};

// Counts the outcomes of `count` variants from `seed`; stops at the first text not of the reader.
// A variant is a piece of the built-in text, mostly with an end record, for an image of random
// size, with up to three mutations.
std::vector<unsigned int> runVariants(unsigned int seed, unsigned int count)
{
    std::string const firmware = builtInText();
    std::mt19937 random(seed);
    auto below = [&](size_t k) { return static_cast<unsigned int>(random() % k); };
    static char const pool[] = "0123456789ABCDEFabcdefG:: \r\n\x00\xFF";
    std::vector<unsigned int> tally(6);
    for (unsigned int n = 0; n < count; n++) {
        size_t start = below(10) == 0 ? 0 : below(firmware.size());
        std::string t = firmware.substr(start, below(10) == 0 ? std::string::npos : below(300));
        t += below(4) == 0
            ? ""
            : std::string("\r\n") + END_RECORD + (below(3) == 0 ? ":0Z junk after the end" : "");
        // Few of the largest images: under Wine each of them costs a fresh mapping of 128 KiB.
        unsigned int pick = below(100);
        unsigned short cells = pick < 50 ? FULL_IMAGE
            : pick < 52                  ? 65535
                                         : static_cast<unsigned short>(1 + below(0x7000));
        for (unsigned int m = below(5) == 0 ? 0 : 1 + below(3); m > 0; m--) {
            size_t at = below(t.size() + 1);
            char c = below(4) == 0 ? static_cast<char>(random()) : pool[below(sizeof pool - 1)];
            switch (below(5)) {
            case 0: t.replace(at, 1, 1, c); break;
            case 1: t.insert(at, 1, c); break;
            case 2: t.erase(at, 1 + below(3)); break;
            case 3: t.insert(below(t.size() + 1), t.substr(at, 1 + below(40))); break;
            case 4: // another record type, mostly a known one
                if ((at = t.find(':', at)) != std::string::npos && at + 9 <= t.size())
                    t[at + 7] = "0000000123456789"[below(16)],
                           t[at + 8] = "0123456789ABCDEF"[below(16)];
            }
        }
        std::string error = parseText(t, cells).error;
        size_t outcome = std::find(TEXTS, TEXTS + 6, error) - TEXTS;
        if (outcome == 6) {
            ADD_FAILURE() << "variant " << n << " gave \"" << error << "\"; text:\n" << t;
            break;
        }
        tally[outcome]++;
    }
    return tally;
}

TEST(FirmwareHexRobustnessTest, HundredThousandVariantsGiveImagesOrTheirTexts)
{
    runVariants(1, 3000); // the heap settles at its working size
    SIZE_T before = privateBytes();
    DWORD start = GetTickCount();
    std::vector<unsigned int> tally = runVariants(0x1EF0, 100000);
    DWORD elapsed = GetTickCount() - start;
    SIZE_T after = privateBytes();
    for (int o = 0; o < 6; o++)
        EXPECT_GE(tally[o], 500u) << "too few variants give \"" << TEXTS[o]
                                  << "\" (none: an image)";
    EXPECT_LT(elapsed, 30000u) << "ms for all variants";
    // A leaked image is up to 128 KiB, a leaked message some 40 bytes: thousands of failures would show.
    EXPECT_LT(after, before + 1024 * 1024)
        << "private bytes before " << before << ", after " << after;
}
}
