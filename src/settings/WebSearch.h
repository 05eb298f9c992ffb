#pragma once

#include <string>
#include <vector>

class TIniFile;

// One web-search engine: a menu title and an address template per search field. "$SEARCHTERM"
// (exactly so) in a template stands for the search term. Texts are UTF-8; any may be empty.
struct WSItem {
    std::string Title;
    std::string TitleURL;
    std::string ArtistURL;
    std::string AlbumURL;
    std::string AllURL;
};

// The engines in menu order. The program keeps one list from start to exit.
using WSEngineList = std::vector<WSItem>;

// More engines than this in a file are not read: a hand-edited count must not exhaust memory.
constexpr int MaxWebSearchEngines = 1000;

// Search fields, as the search-field selector numbers them.
enum TSearchField { sfTitle = 0, sfArtist = 1, sfAlbum = 2, sfAll = 3 };

// Appends the engines of section "WebSearch" to list (it is not emptied first). A missing title
// reads as the translation of "<no title>", a missing template as empty.
void ReadEngines(const TIniFile& file, WSEngineList& list);
// Writes the count and every engine, each value at once; raises EIniWriteError. Keys of engines
// beyond the count, left from a longer list, stay in the file unread.
void WriteEngines(TIniFile& file, const WSEngineList& list);

// The template an engine uses for field: the field's own, else AllURL (TitleURL for an "All"
// search), else the first non-empty of the four; empty when all are empty.
const std::string& SearchTemplate(const WSItem& engine, int field);
// The address to open: the template with every "$SEARCHTERM" replaced by term, whose spaces
// become "+" and which is otherwise inserted unchanged. Empty when selected is not a position
// of list or no template is set: there is nothing to open.
std::string WebSearchAddress(const WSEngineList& list, int selected, const std::string& term, int field);
