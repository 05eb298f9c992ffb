#include "output/AnsiEncoder.h"
#include "readers/TabInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiEncoder, EncodesAndMarksMissingCharacters) {
    struct Case {
        const char* codePage;
        std::string utf8;
        size_t maxBytes;
        std::string expected;
    } cases[] = {
        {"CP1252", "plain ASCII", 100, "plain ASCII"},
        {"CP1252", "Caf\u00e9 \u20ac", 100, "Caf\xE9 \x80"},
        {"CP1252", "\u0416\u0443\u043a", 100, "???"}, // Cyrillic lacks in Western
        {"CP1252", "a\u0416b\u00fc", 100, "a?b\xFC"}, // conversion goes on after a "?"
        {"CP1251", "\u0416\u0443\u043a", 100, "\xC6\xF3\xEA"},
        {"CP1252",
         "a\xFF\xFE"
         "b",
         100, "a??b"},                            // each malformed byte
        {"CP1252", "x\xE2\x82", 100, "x??"},      // cut sequence at the end
        {"CP1252", "\xED\xA0\x80z", 100, "???z"}, // surrogate: three stray bytes
        {"CP932", "\u65e5\u672c", 100, "\x93\xFA\x96\x7B"},
        {"CP932", "\u65e5\u672c", 3, "\x93\xFA"}, // cut between two-byte characters
        {"CP1252", "abcdef", 4, "abcd"},
        {"CP1252", "\u00e9\u00e9\u00e9", 2, "\xE9\xE9"},
        {"CP1252", "\u0416\u0416\u0416", 2, "??"},
        {"CP1252", "", 10, ""},
    };
    for (const Case& c : cases) {
        TAnsiEncoder encoder(c.codePage);
        std::string out = "stale";
        encoder.Encode(c.utf8, out, c.maxBytes);
        EXPECT_EQ(out, c.expected) << c.codePage << " " << c.utf8;
    }
}

TEST(AnsiEncoder, UnknownCodePageIsRefused) {
    EXPECT_THROW(TAnsiEncoder("NO-SUCH-CODE-PAGE"), EQuiravelError);
}

} // namespace
