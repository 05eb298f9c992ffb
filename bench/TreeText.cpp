#include "TreeText.h"

#include <algorithm>
#include <cmath>
#include <iconv.h>
#include <memory>

double Rng::Normal() {
    const double u = std::max(Uniform(), 1e-12), v = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
}

size_t Rng::Size(double median, double sigma, size_t lo, size_t hi) {
    const double s = median * std::exp(sigma * Normal());
    return std::clamp(static_cast<size_t>(s), lo, hi);
}

namespace {

using Words = std::vector<std::string>;

const Words Adjectives = {"Silver",  "Broken", "Hollow", "Crimson",  "Quiet",   "Electric", "Distant",
                          "Burning", "Frozen", "Golden", "Restless", "Wild",    "Velvet",   "Paper",
                          "Iron",    "Neon",   "Lonely", "Hidden",   "Endless", "Falling",  "Northern",
                          "Bitter",  "Gentle", "Rusty",  "Amber",    "Faded",   "Rising",   "Savage",
                          "Lucky",   "Empty",  "Copper", "Slow"};
const Words Nouns = {"River",  "Highway", "Mirror",  "Garden",    "Engine",  "Harbor",  "Lantern",
                     "Shadow", "Thunder", "Window",  "Morning",   "Station", "Ocean",   "Feather",
                     "Signal", "Canyon",  "Circus",  "Letter",    "Orchard", "Compass", "Ember",
                     "Island", "Meadow",  "Machine", "Ballad",    "Diamond", "Horizon", "Lullaby",
                     "Avenue", "Caravan", "Kettle",  "Lighthouse"};
const Words Verbs = {"Chasing",    "Leaving",  "Burning", "Waiting for",
                     "Dancing on", "Crossing", "Calling", "Holding"};
const Words FirstNames = {"Jack", "Mara", "Dale", "Nina", "Owen", "Tessa", "Cole", "Ruby",
                          "Glen", "Ivy",  "Rhys", "Lena", "Abel", "Wren",  "Hugo", "Della"};
const Words Syllables = {"var", "nok", "zel", "lium", "tor", "mex", "quo", "dra", "bel", "fen",
                         "ish", "ok",  "ran", "dor",  "vel", "tha", "kry", "sto", "lun", "gar"};
const Words LastNames = {"Hartwell", "Brannock",  "Quillon",   "Vantrey",   "Morrowby", "Callister",
                         "Pikeman",  "Ashdown",   "Fenwright", "Thornbury", "Oakhurst", "Redlaw",
                         "Grisby",   "Mallender", "Stroud",    "Wexley"};

const Words LatinFirst = {"Émile", "Søren", "Inès", "Jürgen", "Håkon", "Zoë",   "Ramón", "Françoise",
                          "Björn", "Agnès", "Joël", "Mathéo", "Åsa",   "Renée", "Anaïs", "Grégoire"};
const Words LatinStems = {"Bé", "Lö", "Dû", "Mø", "Vå", "Fé", "Grü", "Cô", "Sä", "Ñu", "Brœ", "Ké"};
const Words LatinEnds = {"rand", "lin", "stedt", "vière", "mann", "gaard", "ssac", "ñez", "berg", "ault"};
const Words LatinWords = {"Rêve", "Été",  "Fièvre",   "Année", "Sœur", "Mañana", "Fjäll",
                          "Søvn", "Über", "Frühling", "Café",  "Déjà", "Naïve",  "Señal"};

const Words CyrFirst = {"Мирослав", "Велена", "Ярополк", "Дарина", "Светозар", "Любава", "Радим", "Зоряна"};
const Words CyrStems = {"Кор", "Бел", "Лит", "Жар", "Сок", "Тем", "Вол", "Гри", "Зел", "Мар"};
const Words CyrEnds = {"ов", "ин", "ский", "енко", "ев", "ицкий"};
const Words CyrAdjectives = {"Белый",    "Тихий", "Ночной",  "Северный", "Последний",
                             "Холодный", "Синий", "Дальний", "Старый",   "Лёгкий"};
const Words CyrNouns = {"ветер", "город", "берег", "поезд", "огонь", "дождь", "сон", "путь", "свет", "мост"};

const Words GreekFirst = {"Νίκος", "Ελένη", "Κώστας", "Μαρίνα", "Στέλιος", "Δάφνη"};
const Words GreekLast = {"Σταυρίδης", "Λαμπράκη", "Βελισσάρης", "Καρράς", "Ζαφειρίου"};
const Words GreekAdjectives = {"Μικρός", "Μεγάλος", "Παλιός", "Κρυφός", "Σιωπηλός"};
const Words GreekNouns = {"δρόμος", "ουρανός", "χειμώνας", "ήλιος", "κήπος"};

const Words JapFamily = {"山川", "森田", "高野", "小池", "浜辺", "青木"};
const Words JapGiven = {"健", "彩", "翔", "美月", "蓮", "葵"};
const Words JapPrefix = {"夜の", "遠い", "青い", "静かな", "最後の"};
const Words JapNouns = {"海", "街", "雨", "道", "星", "夢", "駅"};

const Words Genres = {"Rock",    "Metal", "Blues",     "Jazz",     "Folk",
                      "Country", "Punk",  "Classical", "Acoustic", "Misc"};

std::string Plural(const std::string& noun) {
    return noun.back() == 'y' ? noun.substr(0, noun.size() - 1) + "ies" : noun + "s";
}

std::string Invented(Rng& rng) {
    std::string s = rng.Pick(Syllables) + rng.Pick(Syllables);
    if (rng.Chance(0.3))
        s += rng.Pick(Syllables);
    s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

std::string PersonName(Rng& rng, Script w) {
    switch (w) {
    case Script::Latin:
        return rng.Pick(LatinFirst) + " " + rng.Pick(LatinStems) + rng.Pick(LatinEnds);
    case Script::Cyrillic:
        return rng.Pick(CyrFirst) + " " + rng.Pick(CyrStems) + rng.Pick(CyrEnds);
    case Script::Greek:
        return rng.Pick(GreekFirst) + " " + rng.Pick(GreekLast);
    case Script::Japanese:
        return rng.Pick(JapFamily) + " " + rng.Pick(JapGiven);
    case Script::Ascii:
        break;
    }
    return rng.Pick(FirstNames) + " " + (rng.Chance(0.5) ? rng.Pick(LastNames) : Invented(rng));
}

std::string EnglishTitle(Rng& rng) {
    switch (rng.Below(8)) {
    case 0:
        return rng.Pick(Verbs) + " the " + rng.Pick(Nouns);
    case 1:
        return rng.Pick(Nouns) + " in the " + rng.Pick(Nouns);
    case 2:
        return rng.Pick(Nouns) + " Blues";
    case 3:
        return "Song for " + rng.Pick(FirstNames);
    case 4:
        return rng.Pick(Adjectives) + " " + rng.Pick(Nouns) + ", Part " + std::string(rng.Below(3) + 1, 'I');
    default:
        return rng.Pick(Adjectives) + " " + rng.Pick(Nouns);
    }
}

std::string Title(Rng& rng, Script w) {
    switch (w) {
    case Script::Latin:
        if (rng.Chance(0.6))
            return rng.Chance(0.5) ? rng.Pick(LatinWords) + " " + rng.Pick(Nouns)
                                   : rng.Pick(Adjectives) + " " + rng.Pick(LatinWords);
        break;
    case Script::Cyrillic:
        return rng.Pick(CyrAdjectives) + " " + rng.Pick(CyrNouns);
    case Script::Greek:
        return rng.Pick(GreekAdjectives) + " " + rng.Pick(GreekNouns);
    case Script::Japanese:
        return rng.Pick(JapPrefix) + rng.Pick(JapNouns);
    case Script::Ascii:
        break;
    }
    return EnglishTitle(rng);
}

} // namespace

ArtistTexts MakeArtist(Rng& rng) {
    ArtistTexts a;
    const uint32_t r = rng.Below(100);
    a.Writing = r < 82   ? Script::Ascii
                : r < 91 ? Script::Latin
                : r < 97 ? Script::Cyrillic
                : r < 99 ? Script::Greek
                         : Script::Japanese;
    const bool band = rng.Chance(0.6);
    if (!band)
        a.Name = PersonName(rng, a.Writing);
    else if (a.Writing == Script::Ascii || a.Writing == Script::Latin)
        switch (rng.Below(3)) {
        case 0:
            a.Name = "The " + rng.Pick(Adjectives) + " " + Plural(rng.Pick(Nouns));
            break;
        case 1:
            a.Name = Invented(rng) + (a.Writing == Script::Latin ? " " + rng.Pick(LatinWords) : "");
            break;
        default:
            a.Name = rng.Pick(Nouns) + " " + rng.Pick(Nouns);
        }
    else
        a.Name = Title(rng, a.Writing);
    a.Composer = band ? PersonName(rng, a.Writing) : a.Name;
    return a;
}

AlbumTexts MakeAlbum(Rng& rng, Script writing) {
    AlbumTexts al;
    al.Year = rng.Between(1965, 2023);
    switch (rng.Below(6)) {
    case 0:
        al.Title = "Live at the " + rng.Pick(Nouns);
        break;
    case 1:
        al.Title = rng.Pick(Nouns) + " Sessions";
        break;
    case 2:
        al.Title = rng.Pick(Adjectives) + " " + Plural(rng.Pick(Nouns));
        break;
    default:
        al.Title = Title(rng, writing);
    }
    return al;
}

SongTexts MakeSong(Rng& rng, const ArtistTexts& artist, const AlbumTexts& album) {
    SongTexts s;
    s.Writing = artist.Writing;
    s.Title = Title(rng, artist.Writing);
    if (rng.Chance(0.01))
        s.Title += " (" + rng.Pick(Adjectives) + " " + rng.Pick(Nouns) + " Medley: " + EnglishTitle(rng) +
                   " / " + EnglishTitle(rng) + " / " + EnglishTitle(rng) + ")";
    if (rng.Chance(0.03)) // stray blanks, trimmed by the catalogue
        s.Title = rng.Chance(0.5) ? s.Title + "  " : " " + s.Title;
    if (rng.Chance(0.2))
        s.Subtitle = rng.Chance(0.5) ? "Acoustic version" : "Live";
    s.Artist = artist.Name;
    s.Album = album.Title;
    s.Year = album.Year;
    s.Music = rng.Chance(0.85) ? artist.Composer : "";
    s.Words = rng.Chance(0.5) ? (rng.Chance(0.6) ? artist.Composer : PersonName(rng, artist.Writing)) : "";
    s.Copyright = std::to_string(s.Year) + " " + artist.Name;
    s.Tabber = "tabbed by " + Invented(rng) + std::to_string(rng.Below(100));
    return s;
}

std::string MakeGenre(Rng& rng) {
    return rng.Pick(Genres);
}

namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

bool Convert(iconv_t cd, std::string_view in, std::string& out) {
    out.assign(in.size() * 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1);
    out.resize(out.size() - dstLeft);
    return ok;
}

} // namespace

bool ToCp1252(std::string_view utf8, std::string& out) {
    static const IconvHandle cd(iconv_open("CP1252", "UTF-8"));
    return Convert(cd.get(), utf8, out);
}

bool ToCp1251(std::string_view utf8, std::string& out) {
    static const IconvHandle cd(iconv_open("CP1251", "UTF-8"));
    return Convert(cd.get(), utf8, out);
}

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<uint8_t>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

const char* AnsiEncodingFor(const SongTexts& song, bool preferUtf8) {
    const std::string_view texts[] = {song.Title, song.Subtitle, song.Artist,   song.Album,
                                      song.Words, song.Music,    song.Copyright};
    auto all = [&](auto&& test) { return std::all_of(std::begin(texts), std::end(texts), test); };
    if (all(IsAscii))
        return "ascii";
    if (preferUtf8)
        return "utf8";
    std::string scratch;
    if (all([&](std::string_view t) { return ToCp1252(t, scratch); }))
        return "cp1252";
    if (all([&](std::string_view t) { return ToCp1251(t, scratch); }))
        return "cp1251";
    return "utf8";
}

std::string EncodeAnsi(std::string_view utf8, std::string_view encoding) {
    std::string out;
    if (encoding == "cp1252")
        ToCp1252(utf8, out);
    else if (encoding == "cp1251")
        ToCp1251(utf8, out);
    else
        out.assign(utf8);
    return out;
}
