#include "browse/QueryComposer.h"

namespace {

constexpr char Separator = '/';

bool ValidSearchField(const BrowseInput& in) {
    return in.SearchField >= 0 && in.SearchField <= 3;
}

std::string ArtistEquals(const BrowseInput& in) {
    return "artist='" + QuoteValue(in.Artist) + "' ";
}
std::string AlbumEquals(const BrowseInput& in) {
    return "album='" + QuoteValue(in.Album) + "' ";
}

std::string LikeTest(const char* field, const BrowseInput& in) {
    return std::string(field) + " LIKE '" + SearchPattern(in) + "' ";
}

// The five text columns and the file-name clause; the caller closes the last quote.
std::string AllColumnsTest(const BrowseInput& in) {
    const std::string p = SearchPattern(in);
    return "title LIKE '" + p + "' OR artist LIKE '" + p + "' OR album LIKE '" + p + "' OR words LIKE '" + p +
           "' OR music LIKE '" + p + FileNameClause(in);
}

// The test of the searched field, empty when a chosen row already fixes that field. The five-column
// test is put in parentheses when it follows other tests.
std::string SearchTest(const BrowseInput& in, bool artistFixed, bool albumFixed) {
    switch (in.SearchField) {
    case 0:
        return LikeTest("title", in);
    case 1:
        return artistFixed ? "" : LikeTest("artist", in);
    case 2:
        return albumFixed ? "" : LikeTest("album", in);
    case 3: {
        const bool grouped = artistFixed || albumFixed;
        std::string test = grouped ? "(" : "";
        test += AllColumnsTest(in);
        test += grouped ? "') " : "' ";
        return test;
    }
    }
    return "";
}

} // namespace

std::string QuoteValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

std::string ArtistOrderClause(const BrowseInput& in) {
    return in.ArtistsSortDirection ? "ORDER BY artist COLLATE NOCASE;"
                                   : "ORDER BY artist COLLATE NOCASE DESC;";
}

std::string AlbumOrderClause(const BrowseInput& in) {
    return in.AlbumsSortDirection ? "ORDER BY album COLLATE NOCASE;" : "ORDER BY album COLLATE NOCASE DESC;";
}

std::string SongOrderClause(const BrowseInput& in) {
    if (in.SortColumns.empty())
        return ";";
    std::string list;
    for (const SortColumn& column : in.SortColumns) {
        if (!list.empty())
            list += ", ";
        list += column.Field + " COLLATE NOCASE";
        if (column.Descending)
            list += " DESC";
    }
    return "ORDER BY " + list + ";";
}

std::string SearchPattern(const BrowseInput& in) {
    const std::string t = QuoteValue(in.SearchText);
    switch (in.SearchCompareMode) {
    case 0:
        return "%" + t + "%";
    case 1:
        return t + "%";
    case 2:
        return t;
    }
    return "";
}

std::string FileNameClause(const BrowseInput& in) {
    switch (in.FileNameSearch) {
    case 1: {
        const std::string p = SearchPattern(in);
        return "' OR filename LIKE '" + p + "' AND NOT filename LIKE '" + p + Separator + "%";
    }
    case 2:
        return "' OR filename LIKE '" + SearchPattern(in);
    }
    return "";
}

std::string ArtistsBrowseSQL(const BrowseInput& in) {
    return "SELECT DISTINCT artist FROM tablatures " + ArtistOrderClause(in);
}

std::string AlbumsBrowseSQL(const BrowseInput& in) {
    const std::string where = in.AllArtists ? "" : "WHERE " + ArtistEquals(in);
    return "SELECT DISTINCT album FROM tablatures " + where + AlbumOrderClause(in);
}

std::string SongsBrowseSQL(const BrowseInput& in) {
    std::string where;
    if (!in.AllArtists)
        where = ArtistEquals(in);
    if (!in.AllAlbums)
        where += (where.empty() ? "" : "AND ") + AlbumEquals(in);
    return "SELECT * FROM tablatures " + (where.empty() ? "" : "WHERE " + where) + SongOrderClause(in);
}

std::string ArtistsSearchSQL(const BrowseInput& in) {
    if (!ValidSearchField(in))
        return "";
    return "SELECT DISTINCT artist FROM tablatures WHERE " + SearchTest(in, false, false) +
           ArtistOrderClause(in);
}

// With a chosen artist the five-column test follows the artist test, a single-field test precedes it.
std::string AlbumsSearchSQL(const BrowseInput& in) {
    if (!ValidSearchField(in))
        return "";
    std::string where;
    if (in.AllArtists)
        where = SearchTest(in, false, false);
    else if (in.SearchField == 3)
        where = ArtistEquals(in) + "AND " + SearchTest(in, true, false);
    else if (in.SearchField == 1)
        where = ArtistEquals(in);
    else
        where = SearchTest(in, true, false) + "AND " + ArtistEquals(in);
    return "SELECT DISTINCT album FROM tablatures WHERE " + where + AlbumOrderClause(in);
}

std::string SongsSearchSQL(const BrowseInput& in) {
    if (!ValidSearchField(in))
        return "";
    std::string where;
    if (!in.AllArtists)
        where = ArtistEquals(in);
    if (!in.AllAlbums)
        where += (where.empty() ? "" : "AND ") + AlbumEquals(in);
    const std::string test = SearchTest(in, !in.AllArtists, !in.AllAlbums);
    if (!where.empty() && !test.empty())
        where += "AND ";
    return "SELECT * FROM tablatures WHERE " + where + test + SongOrderClause(in);
}

std::string FolderSQL(const BrowseInput& in) {
    // The directory part of a file in the root folder is the separator itself; dropping trailing
    // separators keeps the patterns from doubling it, which would match nothing.
    std::string_view folder = in.FolderPath;
    while (!folder.empty() && folder.back() == Separator)
        folder.remove_suffix(1);
    const std::string f = QuoteValue(folder) + Separator;
    // LIKE ignores ASCII case and takes "_" and "%" in a folder name as wildcards; Linux paths
    // are case-sensitive and may hold both, so the folder must also begin the path exactly.
    return "SELECT * FROM tablatures WHERE (filename LIKE '" + f + "%') AND NOT (filename LIKE '" + f + "%" +
           Separator + "%') AND substr(filename, 1, length('" + f + "')) = '" + f + "' " +
           SongOrderClause(in);
}

std::string CountSQL(std::string_view rowsSql) {
    while (!rowsSql.empty() && (rowsSql.back() == ';' || static_cast<unsigned char>(rowsSql.back()) <= ' '))
        rowsSql.remove_suffix(1);
    return "SELECT COUNT(*) FROM (" + std::string(rowsSql) + ");";
}
