#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <cstddef>
#include <cstdint>

constexpr size_t GPSlotCount = 6;
constexpr size_t GPVersionTextSize = 30;

// Header texts of a Guitar Pro 1-5 file. Slots[0..5] hold the header's slots 1 to 6: title, a discarded
// text, artist, album, words (version 5 only), music.
struct GPHeader {
    char Slots[GPSlotCount][TabTextSize];
    char VersionText[GPVersionTextSize];
    uint8_t VersionTextLength; // as stored in the file; not used
    int32_t Version;           // 1 to 5
};

// Reads the version block and the header's text blocks; the stream then stands behind the last block.
void ReadGPHeader(TTabStream& stream, GPHeader& header);
// Sets header.Version from header.VersionText.
void GetGPVersion(GPHeader& header);
void GPHeaderToTabInfo(const GPHeader& header, TabInfo& info);
// ReadGPHeader then GPHeaderToTabInfo; info is untouched when the header cannot be read.
void ReadGPFile(TTabStream& stream, TabInfo& info);
