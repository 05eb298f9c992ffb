#pragma once

#include "TreeText.h"

#include <string>

enum class Family { Gtp, Gp3, Gp4, Gp5, Gpx, Ptb, Tg, Tef };

// The file-name extension a family is usually saved with.
const char* FamilyExtension(Family f);

// What a correct scan makes of a file: a row with these texts (UTF-8, before trimming), or an
// error line with this message ("*" when the message is the reader's own choice).
struct Expected {
    std::string Encoding; // how the file stores its texts: ascii, cp1252, cp1251, utf8, utf16
    std::string Title, Artist, Album, Words, Music;
    int Year = 0;
    std::string Error;
};

// One file: the built bytes, then FillerSize bytes of music-like filler appended by the writer.
struct TabImage {
    std::string Head;
    size_t FillerSize = 0;
    Expected Want;
};

// A well-formed file of the family holding song, in a size typical of the family.
TabImage BuildTab(Rng& rng, Family f, const SongTexts& song);
// A damaged file of the family, as real collections hold them: truncated, empty, or another format.
TabImage BuildBrokenTab(Rng& rng, Family f, const SongTexts& song);
