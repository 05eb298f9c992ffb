#pragma once

#include "readers/TabFormats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

// Reads bytes and then tail, which the reader must leave alone, into a record full of 0x5A bytes;
// the stream must stand at the end of bytes afterwards.
inline TabInfo ReadGoodFile(TabFileReader read, const std::string& bytes, const std::string& tail) {
    const std::string all = bytes + tail;
    TMemoryTabStream s(all);
    TabInfo info;
    std::memset(&info, 0x5A, sizeof info);
    read(s, info);
    EXPECT_EQ(s.Position(), bytes.size());
    return info;
}

// The read must raise ETabError with message and leave every byte of the record as it was.
inline void ExpectBrokenFile(TabFileReader read, const std::string& bytes, const char* message) {
    TMemoryTabStream s(bytes);
    TabInfo info, before;
    std::memset(&info, 0x5A, sizeof info);
    std::memcpy(&before, &info, sizeof info);
    try {
        read(s, info);
        ADD_FAILURE() << "no error";
    } catch (const ETabError& e) {
        EXPECT_STREQ(e.what(), message);
    }
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
}

// The dispatch table gives read for ext when flag is accepted, and nothing otherwise.
inline void ExpectDispatched(std::string_view ext, uint8_t flag, TabFileReader read) {
    const TTabFormat* f = FindTabFormat(ext, flag);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Read, read);
    EXPECT_EQ(FindTabFormat(ext, ttAll & ~flag), nullptr);
}
