#pragma once

#include <string>
#include <string_view>
#include <vector>

// The SQL texts behind the artists, albums and tablature lists. Pure text work: values are spliced
// in as quoted literals (quotes doubled) and LIKE patterns carry no escape character, so "%" and "_"
// typed by the user act as wildcards. Texts are UTF-8, as stored in the catalogue.

// One sort-marked column of the tablature list.
struct SortColumn {
    std::string Field;
    bool Descending = false;
};

struct BrowseInput {
    bool ArtistsSortDirection = true; // true: ascending
    bool AlbumsSortDirection = true;
    std::vector<SortColumn> SortColumns; // in sort priority order
    bool AllArtists = true;              // the artists list stands on its "All" heading
    bool AllAlbums = true;
    std::string Artist; // the current artist; empty for NULL
    std::string Album;
    std::string SearchText;
    int SearchField = 0;       // 0 title, 1 artist, 2 album, 3 all
    int SearchCompareMode = 0; // 0 contains, 1 starts with, 2 whole value
    int FileNameSearch = 0;    // 0 none, 1 file name without its folders, 2 whole path
    std::string FolderPath;    // directory part of a stored filename
};

std::string QuoteValue(std::string_view text);

std::string ArtistOrderClause(const BrowseInput& in);
std::string AlbumOrderClause(const BrowseInput& in);
std::string SongOrderClause(const BrowseInput& in);
std::string SearchPattern(const BrowseInput& in);
std::string FileNameClause(const BrowseInput& in);

// The search routines return an empty text for a SearchField outside 0..3.
std::string ArtistsBrowseSQL(const BrowseInput& in);
std::string AlbumsBrowseSQL(const BrowseInput& in);
std::string SongsBrowseSQL(const BrowseInput& in);
std::string ArtistsSearchSQL(const BrowseInput& in);
std::string AlbumsSearchSQL(const BrowseInput& in);
std::string SongsSearchSQL(const BrowseInput& in);
// The tablatures directly in FolderPath, none of its sub-folders.
std::string FolderSQL(const BrowseInput& in);

// The number of rows of rowsSql as one row of one column: rowsSql, without its closing semicolon and
// blanks, nested in a count.
std::string CountSQL(std::string_view rowsSql);
