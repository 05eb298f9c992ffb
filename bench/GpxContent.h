#pragma once

#include "TreeText.h"

#include <string>

// The uncompressed content of a Guitar Pro 6 container: "BCFS", a header sector, then for each
// stored file an entry sector and its data sectors. A settings file comes before the score, so
// the score header sits some KiB into the content; the bars, beats and notes behind it make up
// most of the size. song.Words and song.Music go into their elements as they are.
std::string MakeGpxContent(Rng& rng, const SongTexts& song, const std::string& wordsAndMusic);
