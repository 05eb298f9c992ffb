#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Deterministic pseudo-random numbers (splitmix64): the same seed gives the same tree everywhere.
class Rng {
public:
    explicit Rng(uint64_t seed) : State(seed) {}
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
    int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<uint32_t>(hi - lo + 1))); }
    bool Chance(double p) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < p; }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Normal();
    // Log-normal size around median with the given spread, clamped to [lo, hi].
    size_t Size(double median, double sigma, size_t lo, size_t hi);
    template <typename T> const T& Pick(const std::vector<T>& v) {
        return v[Below(static_cast<uint32_t>(v.size()))];
    }

private:
    uint64_t State;
};

// The writing system of an artist's texts; it decides which legacy code page can hold them.
enum class Script { Ascii, Latin, Cyrillic, Greek, Japanese };

// The texts of one piece, UTF-8. Which of them a family stores is the family's business.
struct SongTexts {
    Script Writing = Script::Ascii;
    std::string Title, Subtitle, Artist, Album, Words, Music, Copyright, Tabber;
    int Year = 0;
};

struct ArtistTexts {
    Script Writing = Script::Ascii;
    std::string Name;
    std::string Composer; // often the artist himself
};

struct AlbumTexts {
    std::string Title; // empty for loose tabs
    int Year = 0;
};

// Invented names: plausible, and not those of real pieces or people.
ArtistTexts MakeArtist(Rng& rng);
AlbumTexts MakeAlbum(Rng& rng, Script writing);
SongTexts MakeSong(Rng& rng, const ArtistTexts& artist, const AlbumTexts& album);
std::string MakeGenre(Rng& rng);

// Byte encodings of UTF-8 text. The legacy ones return false when a character has no code there.
bool ToCp1252(std::string_view utf8, std::string& out);
bool ToCp1251(std::string_view utf8, std::string& out);
std::u16string ToUtf16(std::string_view utf8);
bool IsAscii(std::string_view s);

// The code page a legacy family's writer used for all texts of one file: "ascii", "cp1252",
// "cp1251", or "utf8" (newer writers, and texts no legacy page holds).
const char* AnsiEncodingFor(const SongTexts& song, bool preferUtf8);
// The bytes of utf8 in an encoding that holds it (see AnsiEncodingFor).
std::string EncodeAnsi(std::string_view utf8, std::string_view encoding);
