#include "readers/TabRead.h"
#include "ByteBuilder.h"
#include "readers/TabFormats.h"
#include "readers/TabStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const ETabError& e) {
        return e.what();
    }
    return "";
}

TEST(TabRead, IntegersAreLittleEndianAndShortReadsFail) {
    const std::string bytes =
        ByteBuilder().Byte(0x7F).Word(0x1234).Dword(0xDEADBEEF).Byte(1).Byte(2).Byte(3).Str();
    TMemoryTabStream s(bytes);
    uint8_t b;
    uint16_t w;
    uint32_t d;
    ReadByte(s, b);
    ReadWord(s, w);
    ReadDword(s, d);
    EXPECT_EQ(b, 0x7F);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(d, 0xDEADBEEFu);
    EXPECT_EQ(ErrorOf([&] { ReadDword(s, d); }), "Cannot read DWORD");
    TMemoryTabStream empty("", 0);
    EXPECT_EQ(ErrorOf([&] { ReadByte(empty, b); }), "Cannot read BYTE");
    TMemoryTabStream one("x", 1);
    EXPECT_EQ(ErrorOf([&] { ReadWord(one, w); }), "Cannot read WORD");
}

TEST(TabRead, ByteStringLengths) {
    char buf[256];
    const std::string s254(254, 'a');
    struct Case {
        std::string bytes;
        std::string text;
        std::string error;
        uint64_t consumed;
    } cases[] = {
        {ByteBuilder().Byte(0).Bytes("xyz").Str(), "", "", 1},
        {ByteBuilder().ByteString(s254).Str(), s254, "", 255},
        {ByteBuilder().Byte(255).Fill(255, 'b').Str(), "", "String too long", 1},
        {ByteBuilder().Byte(5).Bytes("abc").Str(), "", "Cannot read string", 4},
        {"", "", "Cannot read string length", 0},
    };
    for (const Case& c : cases) {
        TMemoryTabStream s(c.bytes);
        std::string err = ErrorOf([&] { ReadByteString(s, buf); });
        EXPECT_EQ(err, c.error);
        if (c.error.empty()) {
            EXPECT_EQ(std::string(buf), c.text);
        }
        EXPECT_EQ(s.Position(), c.consumed) << c.error;
    }
}

TEST(TabRead, Utf16StringKeepsByteOrderAndTerminates) {
    char buf[512];
    std::memset(buf, 0x55, sizeof buf);
    ZeroField(buf, sizeof buf);
    const std::string bytes = ByteBuilder().Utf16String(u"Abc", true).Byte(9).Str();
    TMemoryTabStream s(bytes);
    ReadUtf16String(s, buf);
    EXPECT_EQ(s.Position(), 7u);
    EXPECT_EQ(std::string(buf, 8), std::string("\0A\0b\0c\0\0", 8));
    SwapUtf16Field(buf);
    EXPECT_EQ(std::string(buf, 8), std::string("A\0b\0c\0\0\0", 8));

    const std::string tooLongBytes = ByteBuilder().Byte(255).Fill(510).Str();
    TMemoryTabStream tooLong(tooLongBytes);
    EXPECT_EQ(ErrorOf([&] { ReadUtf16String(tooLong, buf); }), "UTF16 string too long");
    EXPECT_EQ(tooLong.Position(), 1u);
    const std::string shortBytes = ByteBuilder().Byte(2).Fill(3).Str();
    TMemoryTabStream shortUnits(shortBytes);
    EXPECT_EQ(ErrorOf([&] { ReadUtf16String(shortUnits, buf); }), "Cannot read UTF16 string");
    TMemoryTabStream none("", 0);
    EXPECT_EQ(ErrorOf([&] { ReadUtf16String(none, buf); }), "Cannot read UTF16 string length");
}

TEST(TabRead, ClearAndCopyToField) {
    TabInfo info;
    std::memset(&info, 0x41, sizeof info);
    info.FileDate = 1234;
    ClearTabInfo(info);
    EXPECT_EQ(info.Encoding, teAnsi);
    EXPECT_EQ(info.Year, 0);
    EXPECT_EQ(info.FileSize, 0);
    EXPECT_EQ(info.FileDate, 1234u);
    for (const char* field : {info.Title, info.Artist, info.Album, info.Words, info.Music})
        EXPECT_EQ(std::string(field, TabTextSize), std::string(TabTextSize, '\0'));
    EXPECT_EQ(info.FileName[0], '\0');

    CopyToField(info.Title, TabTextSize, std::string(600, 'x'));
    EXPECT_EQ(std::strlen(info.Title), 511u);
}

TEST(TabFormats, ExtensionIsLowerCasedFromTheLastDot) {
    EXPECT_EQ(TabExtension("/a/SONG.GP5"), ".gp5");
    EXPECT_EQ(TabExtension("/a/song.gp5.bak"), ".bak");
    EXPECT_EQ(TabExtension("/a.b/gp5"), "");
    EXPECT_EQ(TabExtension(".tg"), ".tg");
}

// Opened by name in a folder: links are followed, anything but a regular file is refused without
// blocking, and bytes come back whole across the reads of the buffer.
TEST(FileTabStream, OpensRegularFilesInAFolder) {
    char dirTemplate[] = "/tmp/quiravel-tabstream-XXXXXX";
    ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    std::string bytes(20000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    std::ofstream(dir + "/song.gp5", std::ios::binary) << bytes;
    ASSERT_EQ(::symlink("song.gp5", (dir + "/link.gp5").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir + "/pipe.gp5").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((dir + "/folder.gp5").c_str(), 0700), 0);
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);

    TFileTabStream s;
    for (const char* name : {"song.gp5", "link.gp5"}) {
        ASSERT_TRUE(s.OpenAt(dirFd, name)) << name;
        EXPECT_EQ(s.Size(), bytes.size());
        std::string read(bytes.size() + 1, '\0');
        size_t got = 0;
        for (size_t piece : {3u, 4090u, 5000u, 9000u, 9000u})
            got += s.Read(read.data() + got, std::min(piece, read.size() - got));
        EXPECT_EQ(got, bytes.size()) << name;
        EXPECT_EQ(read.substr(0, got), bytes) << name;
    }
    const std::pair<const char*, int> refused[] = {
        {"pipe.gp5", EINVAL}, {"folder.gp5", EISDIR}, {"missing.gp5", ENOENT}};
    for (const auto& [name, err] : refused) {
        errno = 0;
        EXPECT_FALSE(s.OpenAt(dirFd, name)) << name;
        EXPECT_EQ(errno, err) << name;
    }
    ::close(dirFd);
    for (const char* name : {"song.gp5", "link.gp5", "pipe.gp5"})
        ::unlink((dir + "/" + name).c_str());
    ::rmdir((dir + "/folder.gp5").c_str());
    ::rmdir(dir.c_str());
}

} // namespace
