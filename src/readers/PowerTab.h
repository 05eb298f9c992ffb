#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <cstdint>

// Header body of format versions 1 to 3, in file order.
struct PTBClassicHeader {
    char Title[TabTextSize];
    char Artist[TabTextSize];
    uint8_t AlbumFlag; // 10: no album and no year
    char Album[TabTextSize];
    uint8_t Unused1;
    char Music[TabTextSize];
    char Words[TabTextSize];
    char Unused2[TabTextSize];
    char Unused3[TabTextSize]; // versions 1 and 2 only
    uint16_t Year;
    uint8_t CreditsFlag; // 1: no words and no music
};

// Version 4 song header; the release block's items depend on ReleaseKind.
struct PTBSongHeader {
    uint8_t Unused1;
    char Title[TabTextSize];
    char Artist[TabTextSize];
    uint8_t ReleaseKind;  // 0, 1 and 2 have a block; any other value has none
    uint8_t ReleaseByte1; // kind 0: leading byte
    char Album[TabTextSize];
    uint16_t ReleaseWords[3]; // kind 0: [0] is the year; kind 2: [2] is the year
    uint8_t ReleaseByte2;     // kinds 0 and 1: trailing byte
    uint8_t CreditsKind;      // 0: music and words follow
    char Music[TabTextSize];
    char Words[TabTextSize];
};

// Version 4 lesson header.
struct PTBLessonHeader {
    char Title[TabTextSize];
    char Unused1[TabTextSize];
    uint16_t Unused2;
    uint8_t Unused3;
    char Artist[TabTextSize];
};

enum PTBHeaderKind : uint8_t { phkSong = 0, phkLesson = 1 };

// Every item read from the start of a PowerTab file; the items not read stay zero.
struct PTBHeader {
    uint16_t Version;   // 1 to 4
    uint8_t HeaderKind; // version 4 only
    PTBClassicHeader Classic;
    PTBSongHeader Song;
    PTBLessonHeader Lesson;
};

// Reads the signature, the version and the header texts; nothing after them.
void ReadPTBHeader(TTabStream& stream, PTBHeader& header);
void PTBHeaderToTabInfo(const PTBHeader& header, TabInfo& info);
// ReadPTBHeader then PTBHeaderToTabInfo; info is untouched when the header cannot be read.
void ReadPTBFile(TTabStream& stream, TabInfo& info);
