#include "output/JetRow.h"
#include "JetTestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::string Hex(const uint8_t* p, size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += {digits[p[i] >> 4], digits[p[i] & 15]};
    return s;
}

std::string Encoded(std::string_view utf8, bool compress, bool* cut = nullptr) {
    uint8_t out[510];
    bool wasCut = false;
    const size_t n = EncodeJetText(utf8, 255, compress, out, wasCut);
    if (cut)
        *cut = wasCut;
    return Hex(out, n);
}

// The template's columns of "tablatures" in the order the export fills them.
std::vector<TJetColumn> TemplateColumns() {
    const std::vector<uint8_t> file = FileBytes(TemplatePath);
    const uint32_t page = FindJetTable(file, "tablatures");
    const TJetTableDef def = ParseJetTableDef(TJetBytes(file).subspan(page * JetPageSize, JetPageSize));
    std::vector<TJetColumn> columns;
    for (const char* name : {"title", "artist", "album", "tabyear", "music", "words", "filename", "filesize"})
        columns.push_back(*def.Find(name));
    return columns;
}

TEST(JetRow, PacksTheGoldenRow) {
    // A row written by an independent writer.
    const TJetRowPacker packer(TemplateColumns());
    const TJetValue values[8] = {TJetValue::OfText("Seed"),      TJetValue::OfText("A"),
                                 TJetValue::OfText("B"),         TJetValue{},
                                 TJetValue::OfText("M"),         TJetValue::OfText("W"),
                                 TJetValue::OfText("C:\\x.gp5"), TJetValue::OfLong(1)};
    std::array<uint8_t, JetMaxRowSize> row;
    int64_t cut = 0;
    const size_t n = packer.Pack(values, row.data(), cut);
    EXPECT_EQ(Hex(row.data(), n), "0800"
                                  "00000000"
                                  "01000000"
                                  "fffe53656564"
                                  "4100"
                                  "4200"
                                  "4d00"
                                  "5700"
                                  "fffe433a5c782e677035"
                                  "2200"
                                  "180016001400120010000a00"
                                  "0600"
                                  "f7");
    EXPECT_EQ(cut, 0);
    EXPECT_EQ(packer.MaxRowSize(), 6 * 510 + 27u);
}

TEST(JetRow, StoresTextsCompressedOnlyWhenThatIsAllowedAndShorter) {
    const struct {
        const char* Utf8;
        bool Compress;
        const char* Stored;
    } cases[] = {
        {"", true, ""},
        {"A", true, "4100"},
        {"Ab", true, "41006200"},
        {"Abc", true, "fffe416263"},
        {"Abc", false, "410062006300"},
        {"Caf\u00e9\u00ff", true, "fffe436166e9ff"},
        {"Ab\u0109", true, "410062000901"},           // above U+00FF
        {"\u65e5\u672c\u8a9e", true, "e5652c679e8a"}, // CJK
        {"a\U0001F3B8b", true, "61003cd8b8df6200"},   // outside the BMP: a surrogate pair
        {"ab\xff", true, "61006200fdff"},             // malformed UTF-8: U+FFFD
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encoded(c.Utf8, c.Compress), c.Stored) << c.Utf8;
    EXPECT_EQ(Encoded(std::string_view("ab\0c", 4), true), "6100620000006300")
        << "a NUL unit is not compressed";
}

TEST(JetRow, CutsLongTextsAt255UnitsWithoutSplittingAPair) {
    const std::string guitar = "\U0001F3B8";
    const struct {
        std::string Utf8;
        size_t Units;
        bool Cut;
    } cases[] = {
        {std::string(255, 'a'), 255, false},
        {std::string(256, 'a'), 255, true},
        {std::string(253, 'a') + guitar, 255, false},
        {std::string(254, 'a') + guitar, 254, true},
    };
    for (const auto& c : cases) {
        uint8_t out[510];
        bool cut = false;
        const size_t n = EncodeJetText(c.Utf8, 255, true, out, cut);
        const std::u16string text = JetDecodeText(TJetBytes(out, n));
        EXPECT_EQ(text.size(), c.Units) << c.Utf8.size();
        EXPECT_EQ(cut, c.Cut) << c.Utf8.size();
        EXPECT_EQ(JetUtf8(text), c.Utf8.substr(0, JetUtf8(text).size())) << "a prefix of the value";
    }
    std::string cyrillic;
    for (int i = 0; i < 300; ++i)
        cyrillic += "\u0436";
    bool cut = false;
    EXPECT_EQ(Encoded(cyrillic, true, &cut).size(), 2 * 510u);
    EXPECT_TRUE(cut);
}

TEST(JetRow, RoundTripsEveryColumnAndCountsWhatDidNotFit) {
    const std::vector<TJetColumn> columns = TemplateColumns();
    const TJetRowPacker packer(columns);
    const std::string longText(300, 'L');
    const TJetValue values[8] = {TJetValue::OfText("T\u00eftle"),       TJetValue::OfText(""),
                                 TJetValue::OfText(longText),           TJetValue::OfLong(-5'000'000'000),
                                 TJetValue::OfText("Musik \U0001F3B8"), TJetValue::OfText("W\u00f6rds"),
                                 TJetValue::OfText("/tabs/\u65e5.gp5"), TJetValue::OfLong(5'000'000'000)};
    std::array<uint8_t, JetMaxRowSize> buffer;
    int64_t cut = 0;
    const TJetBytes row(buffer.data(), packer.Pack(values, buffer.data(), cut));
    EXPECT_EQ(cut, 3) << "the long album and both numbers";
    const char* texts[8] = {"T\u00eftle",       "",           nullptr,           nullptr,
                            "Musik \U0001F3B8", "W\u00f6rds", "/tabs/\u65e5.gp5"};
    for (size_t i = 0; i < 7; ++i)
        if (texts[i]) {
            auto v = JetColumnValue(row, columns[i]);
            ASSERT_TRUE(v.has_value()) << columns[i].Name << ": an empty text is not Null";
            EXPECT_EQ(JetUtf8(JetDecodeText(*v)), texts[i]) << columns[i].Name;
        }
    EXPECT_EQ(JetUtf8(JetDecodeText(*JetColumnValue(row, columns[2]))), longText.substr(0, 255));
    EXPECT_EQ(static_cast<int32_t>(JetGet32(JetColumnValue(row, columns[3])->data())), INT32_MIN);
    EXPECT_EQ(static_cast<int32_t>(JetGet32(JetColumnValue(row, columns[7])->data())), INT32_MAX);

    const TJetValue nullYear[8] = {{}, {}, {}, {}, {}, {}, {}, TJetValue::OfLong(0)};
    const TJetBytes minimal(buffer.data(), packer.Pack(nullYear, buffer.data(), cut));
    EXPECT_EQ(minimal.size(), packer.MinRowSize());
    EXPECT_FALSE(JetColumnValue(minimal, columns[3]).has_value());
}

} // namespace
