#include "output/XlsWriter.h"
#include "ByteBuilder.h"
#include "OutputTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(const std::function<void(TByteSink&)>& write) {
    TStringSink sink;
    write(sink);
    return sink.Str();
}

TEST(XlsWriter, RecordLayouts) {
    struct Case {
        const char* name;
        std::function<void(TByteSink&)> write;
        std::string expected;
    } cases[] = {
        {"BOF", XLSWriteBOF, ByteBuilder().Word(0x0809).Word(8).Word(0).Word(0x10).Word(0).Word(0).Str()},
        {"EOF", XLSWriteEOF, std::string("\x0A\x00\x00\x00", 4)},
        {"RK 1998", [](TByteSink& s) { XLSWriteInteger(s, 3, 258, 1998); },
         ByteBuilder()
             .Word(0x027E)
             .Word(10)
             .Word(258)
             .Word(3)
             .Word(0)
             .Bytes(std::string_view("\x3A\x1F\x00\x00", 4))
             .Str()},
        {"RK -1", [](TByteSink& s) { XLSWriteInteger(s, 7, 0, -1); },
         ByteBuilder().Word(0x027E).Word(10).Word(0).Word(7).Word(0).Dword(0xFFFFFFFE).Str()},
        {"RK largest", [](TByteSink& s) { XLSWriteInteger(s, 0, 0, 536870911); },
         ByteBuilder().Word(0x027E).Word(10).Fill(6).Dword(0x7FFFFFFE).Str()},
        // Past 30 bits an RK value would lose its top bits: a NUMBER record (IEEE double) instead.
        {"NUMBER 2^29", [](TByteSink& s) { XLSWriteInteger(s, 7, 1, 536870912); },
         ByteBuilder().Word(0x0203).Word(14).Word(1).Word(7).Word(0).Dword(0).Dword(0x41C00000).Str()},
        {"NUMBER 3e9", [](TByteSink& s) { XLSWriteInteger(s, 0, 0, 3000000000); },
         ByteBuilder().Word(0x0203).Word(14).Fill(6).Dword(0xC0000000).Dword(0x41E65A0B).Str()},
        {"LABEL", [](TByteSink& s) { XLSWriteLabel(s, 1, 2, "Caf\xE9"); },
         ByteBuilder().Word(0x0204).Word(12).Word(2).Word(1).Word(0).Word(4).Bytes("Caf\xE9").Str()},
        {"empty LABEL", [](TByteSink& s) { XLSWriteLabel(s, 0, 65535, ""); },
         ByteBuilder().Word(0x0204).Word(8).Word(65535).Word(0).Word(0).Word(0).Str()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(c.write), c.expected) << c.name;
    EXPECT_EQ(Bytes([](TByteSink& s) { XLSWriteBOF(s), XLSWriteEOF(s); }).size(), 16u);
}

TEST(XlsWriter, LongLabelIsCutToTheLengthField) {
    for (size_t length : {XLSMaxLabelBytes, XLSMaxLabelBytes + 1, size_t(100000)}) {
        std::string out = Bytes([&](TByteSink& s) { XLSWriteLabel(s, 0, 0, std::string(length, 'x')); });
        ASSERT_EQ(out.size(), 4 + 8 + XLSMaxLabelBytes) << length;
        EXPECT_EQ(out.substr(0, 12), ByteBuilder().Word(0x0204).Word(0xFFFF).Fill(6).Word(0xFFF7).Str());
    }
}

TEST(XlsWriter, SinkFailureReachesTheCaller) {
    TFailingSink sink(12);
    XLSWriteBOF(sink);
    EXPECT_THROW(XLSWriteLabel(sink, 0, 0, "abc"), EWriteError);
}

} // namespace
