// bench_gen_tree DIR N [SEED] [--manifest FILE]
// Writes a synthetic tablature collection of N tablature files under DIR (which must be new or
// empty): artist and album folders, a few hidden ones, covers and notes that a scan ignores, and
// about 1% damaged files. The same seed gives the same tree. The manifest lists every file with
// what a scan should make of it.

#include "TabImages.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct FamilyShare {
    Family F;
    int Percent;
};
const FamilyShare Shares[] = {{Family::Gp5, 34}, {Family::Gp4, 24}, {Family::Gp3, 20}, {Family::Gpx, 9},
                              {Family::Ptb, 6},  {Family::Gtp, 3},  {Family::Tg, 3},   {Family::Tef, 1}};
constexpr int FamilyCount = 8;

Family PickFamily(Rng& rng) {
    int r = static_cast<int>(rng.Below(100));
    for (const FamilyShare& s : Shares)
        if ((r -= s.Percent) < 0)
            return s.F;
    return Family::Gp5;
}

// A name the file system takes: no slash, no leading dot or blank, not too long.
std::string FileNamePart(std::string s) {
    for (char& c : s)
        if (c == '/')
            c = '-';
    const size_t b = s.find_first_not_of(" .");
    const size_t e = s.find_last_not_of(' ');
    s = b == std::string::npos ? "Untitled" : s.substr(b, e - b + 1);
    if (s.size() > 120) {
        size_t cut = 120;
        while (cut > 0 && (static_cast<uint8_t>(s[cut]) & 0xC0) == 0x80)
            --cut;
        s.resize(cut);
    }
    return s;
}

// Writes files and the manifest, and keeps the counts.
class TreeWriter {
public:
    TreeWriter(fs::path root, FILE* manifest, Rng& rng) : Root(std::move(root)), Manifest(manifest) {
        Pool.resize(1 << 20);
        for (char& c : Pool) // mostly small numbers and zeros, as in the music records
            c = static_cast<char>(rng.Chance(0.5) ? 0 : rng.Chance(0.7) ? rng.Below(16) : rng.Below(256));
    }

    // A folder may be entered again (loose files, an album title that comes up twice).
    void EnterFolder(const std::string& rel) {
        Folder = rel;
        fs::create_directories(Root / rel);
        Folders.insert(rel);
    }

    // A name not yet used in the current folder for stem + ext.
    std::string UniqueName(const std::string& stem, const std::string& ext) {
        std::string name = stem + ext;
        for (int i = 2; !Paths.insert(Folder + "/" + name).second; ++i)
            name = stem + " (" + std::to_string(i) + ")" + ext;
        return name;
    }

    void Write(const std::string& name, const TabImage& img, const char* kind, Rng& rng) {
        const std::string rel = Folder + "/" + name;
        const std::string path = (Root / rel).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "Cannot create %s: %s\n", path.c_str(), std::strerror(errno));
            std::exit(1);
        }
        const size_t filler = std::min(img.FillerSize, Pool.size());
        const size_t from = rng.Below(static_cast<uint32_t>(Pool.size() - filler + 1));
        iovec parts[2] = {{const_cast<char*>(img.Head.data()), img.Head.size()},
                          {Pool.data() + from, filler}};
        const size_t size = img.Head.size() + filler;
        if (::writev(fd, parts, 2) != static_cast<ssize_t>(size)) {
            std::fprintf(stderr, "Cannot write %s\n", path.c_str());
            std::exit(1);
        }
        const timespec times[2] = {{0, UTIME_OMIT}, {rng.Between(1041379200, 1703980800), 0}};
        ::futimens(fd, times);
        ::close(fd);
        Bytes += size;
        Record(kind, rel, size, times[1].tv_sec, img.Want);
    }

    std::set<std::string> Folders;
    uint64_t Bytes = 0;

private:
    void Record(const char* kind, const std::string& rel, size_t size, time_t mtime, const Expected& w) {
        if (!Manifest)
            return;
        std::fprintf(Manifest, "%s\t%s\t%zu\t%lld\t%s\t%s\t%s\t%s\t%d\t%s\t%s\t%s\n", kind, rel.c_str(), size,
                     static_cast<long long>(mtime), w.Encoding.c_str(), w.Title.c_str(), w.Artist.c_str(),
                     w.Album.c_str(), w.Year, w.Words.c_str(), w.Music.c_str(), w.Error.c_str());
    }

    fs::path Root;
    FILE* Manifest;
    std::string Pool;
    std::string Folder;
    std::set<std::string> Paths;
};

struct Counts {
    size_t Tabs = 0, Broken = 0, Ignored = 0;
    size_t PerFamily[FamilyCount] = {};
};

// Covers, notes, newer formats and backups that sit among tablatures and that a scan passes over.
void WriteExtras(TreeWriter& out, Rng& rng, Counts& counts) {
    struct Extra {
        double Chance;
        const char* Stem;
        const char* Ext;
        size_t Median;
    };
    static const Extra extras[] = {{0.30, "cover", ".jpg", 60000},      {0.10, "lyrics", ".txt", 2500},
                                   {0.03, "songbook", ".pdf", 150000},  {0.05, "backing", ".mid", 20000},
                                   {0.03, "new version", ".gp", 30000}, {0.01, "old", ".gp5.bak", 30000},
                                   {0.03, ".DS_Store", "", 6000},       {0.02, "desktop", ".ini", 100},
                                   {0.01, "README", "", 800},           {0.01, "tab", ".gp5~", 30000}};
    for (const Extra& e : extras) {
        if (!rng.Chance(e.Chance))
            continue;
        TabImage img;
        img.FillerSize = rng.Size(static_cast<double>(e.Median), 0.5, 10, 1 << 20);
        out.Write(out.UniqueName(e.Stem, e.Ext), img, "ignored", rng);
        ++counts.Ignored;
    }
}

// The stem and the extension of a tablature's file name.
std::pair<std::string, std::string> TabFileName(Rng& rng, int pattern, int track, const SongTexts& song,
                                                Family f) {
    std::string stem = FileNamePart(song.Title);
    if (pattern == 0) {
        std::string number = std::to_string(track);
        if (number.size() < 2)
            number.insert(number.begin(), '0');
        stem = number + " - " + stem;
    } else if (pattern == 1)
        stem = FileNamePart(song.Artist) + " - " + stem;
    std::string ext = FamilyExtension(f);
    if (rng.Chance(0.01))
        for (char& c : ext)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return {stem, ext};
}

void WriteAlbum(TreeWriter& out, Rng& rng, const ArtistTexts& artist, const AlbumTexts& album, int files,
                Counts& counts) {
    const int pattern = static_cast<int>(rng.Below(3));
    for (int i = 0; i < files; ++i) {
        const Family f = PickFamily(rng);
        const SongTexts song = MakeSong(rng, artist, album);
        const bool broken = rng.Chance(0.01);
        const TabImage img = broken ? BuildBrokenTab(rng, f, song) : BuildTab(rng, f, song);
        const auto [stem, ext] = TabFileName(rng, pattern, i + 1, song, f);
        out.Write(out.UniqueName(stem, ext), img, broken ? "broken" : "tab", rng);
        ++counts.Tabs;
        counts.Broken += broken;
        ++counts.PerFamily[static_cast<int>(f)];
    }
    WriteExtras(out, rng, counts);
}

// One artist: a folder under the root, a genre, an index letter or a hidden backup folder, with
// album folders of 10 to 50 files, sometimes split into discs, and now and then loose files.
void WriteArtist(TreeWriter& out, Rng& rng, size_t& left, Counts& counts) {
    const ArtistTexts artist = MakeArtist(rng);
    const uint32_t r = rng.Below(100);
    std::string parent = r < 65 ? "" : r < 82 ? MakeGenre(rng) + "/" : r < 97 ? "By letter/" : ".backup/";
    if (r >= 82 && r < 97)
        parent += IsAscii(artist.Name.substr(0, 1)) ? artist.Name.substr(0, 1) + "/" : "Other/";
    const std::string artistDir = parent + FileNamePart(artist.Name);
    for (int a = 0, albums = rng.Between(1, 4); a < albums && left > 0; ++a) {
        AlbumTexts album = MakeAlbum(rng, artist.Writing);
        std::string dir = artistDir + "/" + FileNamePart(album.Title);
        if (rng.Chance(0.4))
            dir = artistDir + "/" + std::to_string(album.Year) + " - " + FileNamePart(album.Title);
        if (rng.Chance(0.05)) { // loose tabs without an album
            album.Title.clear();
            dir = artistDir;
        }
        int files = static_cast<int>(std::min<size_t>(left, rng.Between(10, 50)));
        const int discs = rng.Chance(0.04) ? 2 : 1;
        for (int d = 1; d <= discs; ++d) {
            const int n = d < discs ? files / 2 : files;
            out.EnterFolder(discs > 1 ? dir + "/CD" + std::to_string(d) : dir);
            WriteAlbum(out, rng, artist, album, n, counts);
            files -= n;
            left -= n;
        }
        if (left > 0 && rng.Chance(0.03)) { // an editor's hidden backup copies
            const int n = static_cast<int>(std::min<size_t>(left, rng.Between(2, 6)));
            out.EnterFolder(dir + "/.old");
            WriteAlbum(out, rng, artist, album, n, counts);
            left -= n;
        }
    }
}

int Usage() {
    std::fprintf(stderr, "usage: bench_gen_tree DIR N [SEED] [--manifest FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    const char* manifestPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--manifest") == 0 && i + 1 < argc)
            manifestPath = argv[++i];
        else
            args.emplace_back(argv[i]);
    }
    if (args.size() < 2 || args.size() > 3)
        return Usage();
    const fs::path root = args[0];
    const long long n = std::atoll(args[1].c_str());
    const uint64_t seed = args.size() > 2 ? std::strtoull(args[2].c_str(), nullptr, 10) : 1;
    if (n <= 0)
        return Usage();
    std::error_code ec;
    if (fs::exists(root, ec) && !fs::is_empty(root, ec)) {
        std::fprintf(stderr, "%s exists and is not empty\n", root.c_str());
        return 1;
    }
    FILE* manifest = manifestPath ? std::fopen(manifestPath, "w") : nullptr;
    if (manifestPath && !manifest) {
        std::fprintf(stderr, "Cannot create %s\n", manifestPath);
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    Rng rng(seed);
    TreeWriter out(root, manifest, rng);
    Counts counts;
    size_t left = static_cast<size_t>(n);
    while (left > 0)
        WriteArtist(out, rng, left, counts);
    if (manifest)
        std::fclose(manifest);

    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu tablature files (%zu damaged), %zu other files, %zu folders, %.1f MiB in %.1f s\n",
                counts.Tabs, counts.Broken, counts.Ignored, out.Folders.size(), out.Bytes / 1048576.0, secs);
    for (const FamilyShare& s : Shares)
        std::printf("  %-5s %zu\n", FamilyExtension(s.F), counts.PerFamily[static_cast<int>(s.F)]);
    return 0;
}
