#include "TabImages.h"

#include "BcfzEncoder.h"
#include "ByteBuilder.h"
#include "GpxContent.h"

#include <algorithm>

const char* FamilyExtension(Family f) {
    static const char* const names[] = {".gtp", ".gp3", ".gp4", ".gp5", ".gpx", ".ptb", ".tg", ".tef"};
    return names[static_cast<int>(f)];
}

namespace {

// Texts of a legacy family, encoded once for the whole file.
struct AnsiSong {
    std::string Encoding;
    std::string Title, Subtitle, Artist, Album, Words, Music, Copyright, Tabber;
};

AnsiSong Encode(Rng& rng, const SongTexts& s) {
    AnsiSong a;
    a.Encoding = AnsiEncodingFor(s, rng.Chance(0.05));
    auto e = [&](const std::string& t) { return EncodeAnsi(t, a.Encoding); };
    a.Title = e(s.Title), a.Subtitle = e(s.Subtitle), a.Artist = e(s.Artist), a.Album = e(s.Album);
    a.Words = e(s.Words), a.Music = e(s.Music), a.Copyright = e(s.Copyright), a.Tabber = e(s.Tabber);
    return a;
}

// ---- Guitar Pro 1 to 5 ----

int GPVersionOf(Family f) {
    return f == Family::Gp3 ? 3 : f == Family::Gp4 ? 4 : 5;
}

std::string GPVersionText(Rng& rng, Family f, int version) {
    if (f == Family::Gtp)
        return rng.Chance(0.5) ? "FICHIER GUITARE PRO v1.0" + std::to_string(rng.Between(2, 4))
                               : "FICHIER GUITAR PRO v2.2" + std::to_string(rng.Between(0, 1));
    if (version == 5)
        return rng.Chance(0.85) ? "FICHIER GUITAR PRO v5.00" : "FICHIER GUITAR PRO v5.10";
    if (version == 4)
        return rng.Chance(0.98) ? "FICHIER GUITAR PRO v4.06" : "FICHIER GUITAR PRO L4.06";
    return "FICHIER GUITAR PRO v3.00";
}

// A size, then the length byte and the text.
void GP345Block(ByteBuilder& b, const std::string& text) {
    b.Dword(static_cast<uint32_t>(text.size() + 1)).ByteString(text);
}

void GP12Block(ByteBuilder& b, const std::string& text) {
    b.Byte(static_cast<uint8_t>(text.size() + 1)).ByteString(text);
}

TabImage GuitarPro(Rng& rng, Family f, const SongTexts& song) {
    TabImage img;
    const AnsiSong a = Encode(rng, song);
    // Now and then the extension does not match the generation inside.
    int version = f == Family::Gtp ? 1 : GPVersionOf(f);
    if (f == Family::Gp5 && rng.Chance(0.01))
        version = 4;
    const std::string vtext = GPVersionText(rng, f, version);
    ByteBuilder b;
    b.ByteString(vtext).Fill(30 - vtext.size(), rng.Chance(0.8) ? 0 : ' ');
    Expected& w = img.Want;
    w.Encoding = a.Encoding;
    w.Title = song.Title;
    w.Artist = song.Artist;
    if (f == Family::Gtp) {
        GP12Block(b, a.Title);
        GP12Block(b, a.Artist);
        img.FillerSize = rng.Size(6000, 0.5, 1500, 60000);
    } else {
        for (const std::string* t : {&a.Title, &a.Subtitle, &a.Artist, &a.Album})
            GP345Block(b, *t);
        if (version == 5)
            GP345Block(b, a.Words);
        for (const std::string* t :
             {&a.Music, &a.Copyright, &a.Tabber, &a.Subtitle}) // the last: instructions
            GP345Block(b, *t);
        const int notices = rng.Chance(0.8) ? 0 : rng.Between(1, 3);
        b.Dword(notices);
        for (int i = 0; i < notices; ++i)
            GP345Block(b, a.Tabber);
        w.Album = song.Album;
        w.Music = song.Music;
        if (version == 5)
            w.Words = song.Words;
        const double median = version == 5 ? 40000 : version == 4 ? 26000 : 18000;
        img.FillerSize = rng.Size(median, 0.7, 3000, 400000);
    }
    img.Head = b.Str();
    return img;
}

// ---- PowerTab ----

TabImage PowerTab(Rng& rng, const SongTexts& song) {
    TabImage img;
    const AnsiSong a = Encode(rng, song);
    Expected& w = img.Want;
    w.Encoding = a.Encoding;
    ByteBuilder b;
    b.Bytes("ptab");
    const uint32_t r = rng.Below(100);
    if (r < 20) { // versions 1 to 3
        const int version = r < 10 ? 3 : rng.Between(1, 2);
        const bool album = !a.Album.empty() && rng.Chance(0.9), credits = rng.Chance(0.8);
        b.Word(version).ByteString(a.Title).ByteString(a.Artist).Byte(album ? 0 : 10).ByteString(a.Album);
        b.Byte(0).ByteString(a.Music).ByteString(a.Words).ByteString(a.Copyright);
        if (version < 3)
            b.ByteString(a.Tabber);
        b.Word(static_cast<uint16_t>(song.Year)).Byte(credits ? 0 : 1);
        w.Title = song.Title, w.Artist = song.Artist;
        if (album)
            w.Album = song.Album, w.Year = song.Year;
        if (credits)
            w.Music = song.Music, w.Words = song.Words;
    } else if (r < 92) { // version 4 song
        b.Word(4).Byte(0).Byte(0).ByteString(a.Title).ByteString(a.Artist);
        w.Title = song.Title, w.Artist = song.Artist;
        const uint32_t release = rng.Chance(0.8) ? 0 : rng.Below(4);
        b.Byte(static_cast<uint8_t>(release));
        if (release == 0)
            b.Byte(0).ByteString(a.Album).Word(static_cast<uint16_t>(song.Year)).Byte(0);
        else if (release == 1)
            b.ByteString(a.Album).Byte(1);
        else if (release == 2)
            b.ByteString(a.Album).Word(1).Word(2).Word(static_cast<uint16_t>(song.Year));
        if (release <= 2)
            w.Album = song.Album;
        if (release == 0 || release == 2)
            w.Year = song.Year;
        const bool credits = rng.Chance(0.85);
        b.Byte(credits ? 0 : 1);
        if (credits) {
            b.ByteString(a.Music).ByteString(a.Words);
            w.Music = song.Music, w.Words = song.Words;
        }
    } else { // version 4 lesson
        b.Word(4).Byte(1).ByteString(a.Title).ByteString(a.Subtitle).Word(2).Byte(1).ByteString(a.Artist);
        w.Title = song.Title, w.Artist = song.Artist;
    }
    b.ByteString(a.Copyright).ByteString(a.Tabber).Word(0).ByteString(a.Subtitle);
    img.Head = b.Str();
    img.FillerSize = rng.Size(20000, 0.7, 2000, 300000);
    return img;
}

// ---- TuxGuitar ----

TabImage TuxGuitar(Rng& rng, const SongTexts& song) {
    TabImage img;
    ByteBuilder b;
    const char* versions[] = {"TuxGuitar File Format - 1.0", "TuxGuitar File Format - 1.1",
                              "TuxGuitar File Format - 1.2", "TuxGuitar File Format - 1.3-SNAPSHOT"};
    b.Utf16String(ToUtf16(versions[rng.Below(4)]), true);
    for (const std::string* t :
         {&song.Title, &song.Artist, &song.Album, &song.Music, &song.Tabber, &song.Words})
        b.Utf16String(ToUtf16(*t), true);
    img.Head = b.Str();
    img.FillerSize = rng.Size(15000, 0.6, 2000, 200000);
    Expected& w = img.Want;
    w.Encoding = "utf16";
    w.Title = song.Title, w.Artist = song.Artist, w.Album = song.Album, w.Music = song.Music;
    return img;
}

// ---- TablEdit ----

TabImage TablEdit(Rng& rng, const SongTexts& song) {
    TabImage img;
    const AnsiSong a = Encode(rng, song);
    img.Head = a.Title + '\0' + a.Artist + '\0' + a.Tabber + '\0';
    img.FillerSize = rng.Size(10000, 0.6, 1500, 150000);
    img.Want.Encoding = a.Encoding;
    img.Want.Title = song.Title, img.Want.Artist = song.Artist;
    return img;
}

} // namespace

TabImage BuildTab(Rng& rng, Family f, const SongTexts& song) {
    switch (f) {
    case Family::Gtp:
    case Family::Gp3:
    case Family::Gp4:
    case Family::Gp5:
        return GuitarPro(rng, f, song);
    case Family::Ptb:
        return PowerTab(rng, song);
    case Family::Tg:
        return TuxGuitar(rng, song);
    case Family::Tef:
        return TablEdit(rng, song);
    case Family::Gpx:
        break;
    }
    // Most scores credit words and music apart; some only as one "words and music" credit, which
    // the catalogue takes for both when the other two are empty.
    TabImage img;
    Expected& w = img.Want;
    w.Encoding = "utf8";
    w.Title = song.Title, w.Artist = song.Artist, w.Album = song.Album;
    SongTexts credited = song;
    std::string wordsAndMusic;
    const uint32_t credit = rng.Below(100);
    if (credit < 80) {
        w.Words = song.Words, w.Music = song.Music;
    } else if (credit < 95) {
        wordsAndMusic = song.Music.empty() ? song.Artist : song.Music;
        credited.Words.clear(), credited.Music.clear();
        w.Words = w.Music = wordsAndMusic;
    } else {
        wordsAndMusic = song.Artist;
        credited.Words = w.Words = song.Words.empty() ? song.Artist : song.Words;
        credited.Music.clear();
    }
    const std::string content = MakeGpxContent(rng, credited, wordsAndMusic);
    img.Head = rng.Chance(0.01) ? content : BcfzCompress(content);
    return img;
}

TabImage BuildBrokenTab(Rng& rng, Family f, const SongTexts& song) {
    TabImage img = BuildTab(rng, f, song);
    img.FillerSize = 0;
    img.Want = Expected{};
    const bool first = rng.Chance(0.5);
    std::string& h = img.Head;
    switch (f) {
    case Family::Gtp:
    case Family::Gp3:
    case Family::Gp4:
    case Family::Gp5:
        if (rng.Chance(0.15)) {
            h.clear(), img.Want.Error = "Cannot read BYTE";
        } else if (rng.Chance(0.3)) {
            h = "<!DOCTYPE html><html><head><title>404 Not Found</title></head></html>\n";
            img.Want.Error = "Not a GP or version unsupported";
        } else if (first || static_cast<uint8_t>(h[f == Family::Gtp ? 32 : 35]) == 0) {
            h.resize(rng.Between(5, 29)), img.Want.Error = "Cannot read GP Header";
        } else { // cut inside the title's text
            h.resize(f == Family::Gtp ? 34 : 37);
            img.Want.Error = f == Family::Gtp ? "Cannot read GP12 block" : "Cannot read GP345 block";
        }
        break;
    case Family::Gpx:
        if (first) {
            h = std::string("PK\x03\x04\x14\0\0\0\x08\0", 10) + "Content/score.gpif",
            img.Want.Error = "Not a GPX";
        } else {
            h.resize(std::min<size_t>(h.size(), rng.Between(12, 40))), img.Want.Error = "*";
        }
        break;
    case Family::Ptb:
        if (first)
            h = std::string("RIFF\x24\x10\0\0WAVEfmt ", 16), img.Want.Error = "Not a PTB";
        else if (rng.Chance(0.8)) // cut inside the title
            h.resize((h[4] != 4 ? 6 : h[6] == 0 ? 8 : 7) + 2), img.Want.Error = "Cannot read string";
        else
            h.resize(5), img.Want.Error = "Cannot read WORD";
        break;
    case Family::Tg:
        if (first) {
            ByteBuilder b;
            b.Utf16String(u"TuxGuitar File Format - 2.0", true).Utf16String(ToUtf16(song.Title), true);
            h = b.Str(), img.Want.Error = "TG version unsupported";
        } else { // cut inside the version text
            h.resize(20), img.Want.Error = "Cannot read UTF16 string";
        }
        break;
    case Family::Tef:
        if (first)
            h.resize(h.find('\0') + 1), img.Want.Error = "Cannot read CHAR";
        else
            h.assign(300, '\x7f'), img.Want.Error = "String too long";
        break;
    }
    return img;
}
