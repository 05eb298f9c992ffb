#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

// The four texts after the version text, still big-endian UTF-16 as in the file, each followed by a
// zero unit.
struct TGHeader {
    char Title[TabTextSize];
    char Artist[TabTextSize];
    char Album[TabTextSize];
    char Music[TabTextSize];
};

// Reads and checks the version text, then the four texts; nothing after them.
void ReadTGHeader(TTabStream& stream, TGHeader& header);
void TGHeaderToTabInfo(const TGHeader& header, TabInfo& info);
// ReadTGHeader then TGHeaderToTabInfo; info is untouched when the header cannot be read.
void ReadTGFile(TTabStream& stream, TabInfo& info);
