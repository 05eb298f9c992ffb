#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

// The two NUL-terminated texts at the start of a TablEdit file, each with its NUL.
struct TEFHeader {
    char Title[TabTextSize];
    char Artist[TabTextSize];
};

// Reads one NUL-terminated text of at most 253 bytes into slot (at least 255 bytes).
void ReadTEFText(TTabStream& stream, char* slot);
// Reads the title and the artist; nothing after the artist's NUL.
void ReadTEFHeader(TTabStream& stream, TEFHeader& header);
void TEFHeaderToTabInfo(const TEFHeader& header, TabInfo& info);
// ReadTEFHeader then TEFHeaderToTabInfo; info is untouched when the header cannot be read.
void ReadTEFFile(TTabStream& stream, TabInfo& info);
