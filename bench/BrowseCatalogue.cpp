#include "BrowseCatalogue.h"

#include "BenchSupport.h"
#include "catalogue/CatalogueStore.h"
#include "readers/TabInfo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

namespace {

// Mostly English, with Latin accents, Cyrillic, Greek and Japanese words now and then.
const char* const kWords[] = {
    "love",   "night",   "blue",     "heart",  "fire",    "rain",   "road",     "home",   "dream",  "light",
    "dark",   "river",   "stone",    "angel",  "queen",   "summer", "wild",     "blood",  "gold",   "moon",
    "star",   "dance",   "city",     "street", "train",   "ocean",  "storm",    "time",   "soul",   "ghost",
    "magic",  "highway", "iron",     "silver", "thunder", "black",  "electric", "dead",   "broken", "sweet",
    "lonely", "crazy",   "mountain", "winter", "shadow",  "devil",  "paradise", "velvet", "neon",   "echo",
    "éclair", "café",    "señor",    "über",   "niño",    "ночь",   "звезда",   "река",   "όνειρο", "θάλασσα",
    "夜明け", "さくら",  "東京",     "ça",     "mañana",  "fjörð",  "dž",       "œuvre",  "ángel",  "любовь",
};
const char* const kExtensions[] = {"gp5", "gp4", "gp3", "gpx", "ptb", "gtp", "tg", "tef"};
// Shares of the families in a typical collection, in tenths of a percent.
const int kExtensionShares[] = {340, 240, 200, 90, 60, 30, 30, 10};

using TGenerator = bench::TWordGenerator<std::mt19937_64>;

// Capitalised words; a word that begins with a non-ASCII letter is kept as it is.
std::string Words(TGenerator& gen, int lo, int hi) {
    std::string text;
    for (int n = gen.Between(lo, hi); n > 0; --n) {
        std::string word = kWords[gen.Between(0, static_cast<int>(std::size(kWords)) - 1)];
        if (word[0] >= 'a' && word[0] <= 'z')
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

[[noreturn]] void Fail(const std::string& what, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), message.c_str());
    std::exit(1);
}

void Put(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

const char* Extension(TGenerator& gen) {
    int pick = gen.Between(0, 999);
    for (size_t i = 0; i < std::size(kExtensionShares); ++i)
        if ((pick -= kExtensionShares[i]) < 0)
            return kExtensions[i];
    return kExtensions[0];
}

uint32_t FileDate(TGenerator& gen) {
    const auto year = static_cast<uint32_t>(gen.Between(2003, 2024) - 1980);
    const auto date = (year << 9) | (static_cast<uint32_t>(gen.Between(1, 12)) << 5) |
                      static_cast<uint32_t>(gen.Between(1, 28));
    const auto time =
        (static_cast<uint32_t>(gen.Between(0, 23)) << 11) | (static_cast<uint32_t>(gen.Between(0, 59)) << 5);
    return (date << 16) | time;
}

// Artists with about ten albums of 10 to 20 tablatures each, filed as
// /home/user/Tabs/<letter>/<artist>/<album>/<title>.<ext>; a few artists and albums without a name.
class TCatalogueWriter {
public:
    TCatalogueWriter(TCatalogueStore& store, uint64_t seed) : Store(store), Gen(kWords, seed) {}

    void Write(int64_t rows) {
        auto info = std::make_unique<TabInfo>();
        while (Written < rows) {
            const std::string artist = Gen.Chance(0.02) ? "" : Words(Gen, 1, 3);
            for (int albums = Gen.Between(1, 19); albums > 0 && Written < rows; --albums)
                WriteAlbum(*info, artist, Gen.Chance(0.04) ? "" : Words(Gen, 1, 4), rows);
        }
    }
    const std::vector<std::string>& Folders() const { return Dirs; }

private:
    void WriteAlbum(TabInfo& info, const std::string& artist, const std::string& album, int64_t rows) {
        const std::string shownArtist = artist.empty() ? "Unknown" : artist;
        const std::string letter = shownArtist[0] & 0x80 ? "#" : shownArtist.substr(0, 1);
        const std::string folder =
            "/home/user/Tabs/" + letter + "/" + shownArtist + "/" + (album.empty() ? "Misc" : album);
        Dirs.push_back(folder);
        const int year = Gen.Chance(0.7) ? Gen.Between(1960, 2024) : 0;
        for (int n = Gen.Between(10, 20); n > 0 && Written < rows; --n, ++Written) {
            const std::string title = Words(Gen, 1, 5);
            const std::string credit = Gen.Chance(0.5) ? artist : "";
            Put(info.Title, sizeof info.Title, title);
            Put(info.Artist, sizeof info.Artist, artist);
            Put(info.Album, sizeof info.Album, album);
            Put(info.Words, sizeof info.Words, credit);
            Put(info.Music, sizeof info.Music, credit);
            Put(info.FileName, sizeof info.FileName, folder + "/" + title + "." + Extension(Gen));
            info.Year = year;
            info.FileSize = Gen.Between(2000, 400000);
            info.FileDate = FileDate(Gen);
            info.Encoding = teUtf8;
            if (!Store.AddTablature(info))
                Fail("add", Store.LastError());
        }
    }

    TCatalogueStore& Store;
    TGenerator Gen;
    int64_t Written = 0;
    std::vector<std::string> Dirs;
};

void Generate(const std::string& path, int64_t rows, uint64_t seed) {
    std::filesystem::remove(path);
    TCatalogueStore store;
    if (!store.CreateCatalogue(path) || !store.ClearCatalogue() || !store.BeginTablatures())
        Fail(path, store.LastError());
    TCatalogueWriter writer(store, seed);
    writer.Write(rows);
    if (!store.WriteDirectories(writer.Folders()) || !store.EndTablatures() || !store.WriteErrors({}) ||
        !store.WriteInfo(0, 0) || !store.CloseCatalogue())
        Fail(path, store.LastError());
}

} // namespace

std::string CachedCatalogue(int64_t rows, uint64_t seed, double* generateSeconds) {
    const std::string path =
        "/tmp/quiravel-browse-" + std::to_string(rows) + "-" + std::to_string(seed) + ".db3";
    *generateSeconds = 0;
    if (std::filesystem::exists(path))
        return path;
    const auto start = std::chrono::steady_clock::now();
    // Written aside and renamed, so that an interrupted run leaves no partial catalogue to reuse.
    const std::string part = path + ".part";
    Generate(part, rows, seed);
    std::filesystem::rename(part, path);
    *generateSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return path;
}

TCatalogueCounts CountCatalogue(const std::string& path) {
    TSqlConnection db;
    if (!db.Open(path, SQLITE_OPEN_READONLY))
        Fail(path, db.LastError());
    TSqlStatement count;
    if (!count.Prepare(db,
                       "SELECT (SELECT count(*) FROM tablatures), (SELECT count(DISTINCT artist) FROM "
                       "tablatures), (SELECT count(*) FROM (SELECT DISTINCT artist, album FROM tablatures))"))
        Fail(path, db.LastError());
    count.Step();
    return {count.ColumnInt64(0), count.ColumnInt64(1), count.ColumnInt64(2)};
}
