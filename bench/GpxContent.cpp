#include "GpxContent.h"

#include "ByteBuilder.h"

#include <charconv>
#include <utility>
#include <vector>

namespace {

constexpr size_t Sector = 0x1000;

class Xml {
public:
    explicit Xml(size_t reserve) { Text.reserve(reserve); }
    Xml& operator<<(std::string_view s) {
        Text.append(s);
        return *this;
    }
    Xml& operator<<(int v) {
        char buf[16];
        Text.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
        return *this;
    }
    Xml& CData(const char* name, std::string_view value) {
        return *this << "\t\t<" << name << "><![CDATA[" << value << "]]></" << name << ">\n";
    }
    std::string Text;
};

std::string MiscXml(Rng& rng) {
    static const char* const keys[] = {"Instrument.Type", "Sound.Bank",     "Audio.Master", "View.Zoom",
                                       "Print.Margin",    "Page.Layout",    "Rse.Profile",  "Tempo.Base",
                                       "Score.Font",      "Tablature.Mode", "Metronome",    "CountIn"};
    Xml x(4096);
    x << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Misc>\n\t<Properties>\n";
    for (int i = 0, n = rng.Between(12, 40); i < n; ++i)
        x << "\t\t<Property name=\"" << keys[rng.Below(12)] << "." << i << "\"><Value>"
          << rng.Between(0, 9999) << "</Value></Property>\n";
    x << "\t</Properties>\n</Misc>\n";
    return std::move(x.Text);
}

void Tracks(Xml& x, Rng& rng, int tracks) {
    static const char* const names[] = {"Lead Guitar", "Rhythm Guitar", "Bass", "Acoustic Guitar", "Drums"};
    x << "\t<MasterTrack>\n\t\t<Tracks>";
    for (int t = 0; t < tracks; ++t)
        x << (t ? " " : "") << t;
    x << "</Tracks>\n\t\t<Automations><Automation><Type>Tempo</Type><Value>" << rng.Between(60, 200)
      << " 2</Value></Automation></Automations>\n\t</MasterTrack>\n\t<Tracks>\n";
    for (int t = 0; t < tracks; ++t)
        x << "\t\t<Track id=\"" << t << "\">\n\t\t\t<Name><![CDATA[" << names[rng.Below(5)]
          << "]]></Name>\n\t\t\t<Color>" << rng.Between(0, 255) << " " << rng.Between(0, 255) << " "
          << rng.Between(0, 255) << "</Color>\n\t\t\t<Properties><Property name=\"Tuning\"><Pitches>"
          << 40 - rng.Between(0, 2)
          << " 45 50 55 59 64</Pitches></Property><Property name=\"CapoFret\"><Fret>" << rng.Between(0, 5)
          << "</Fret></Property></Properties>\n\t\t\t<GeneralMidi><Program>" << rng.Between(24, 33)
          << "</Program><Port>0</Port><PrimaryChannel>" << t
          << "</PrimaryChannel></GeneralMidi>\n\t\t</Track>\n";
    x << "\t</Tracks>\n";
}

// Bars, voices, beats and notes until the document has about target bytes.
void Music(Xml& x, Rng& rng, int tracks, size_t target) {
    const int bars = std::max<int>(8, static_cast<int>(target / (tracks * 1400u)));
    x << "\t<MasterBars>\n";
    for (int b = 0; b < bars; ++b) {
        x << "\t\t<MasterBar><Key><AccidentalCount>0</AccidentalCount><Mode>Major</Mode></Key><Time>4/4</"
             "Time><Bars>";
        for (int t = 0; t < tracks; ++t)
            x << (t ? " " : "") << b * tracks + t;
        x << "</Bars></MasterBar>\n";
    }
    x << "\t</MasterBars>\n\t<Bars>\n";
    for (int i = 0; i < bars * tracks; ++i)
        x << "\t\t<Bar id=\"" << i << "\"><Clef>G2</Clef><Voices>" << i << " -1 -1 -1</Voices></Bar>\n";
    x << "\t</Bars>\n\t<Voices>\n";
    std::vector<int> beatsPerVoice(bars * tracks);
    int beat = 0;
    for (int i = 0; i < bars * tracks; ++i) {
        beatsPerVoice[i] = rng.Between(2, 7);
        x << "\t\t<Voice id=\"" << i << "\"><Beats>";
        for (int k = 0; k < beatsPerVoice[i]; ++k)
            x << (k ? " " : "") << beat++;
        x << "</Beats></Voice>\n";
    }
    x << "\t</Voices>\n\t<Beats>\n";
    int note = 0;
    for (int b = 0; b < beat; ++b) {
        x << "\t\t<Beat id=\"" << b << "\"><Rhythm ref=\"" << rng.Between(0, 5) << "\"/><Notes>";
        for (int k = 0, n = rng.Between(1, 2); k < n; ++k)
            x << (k ? " " : "") << note++;
        x << "</Notes></Beat>\n";
    }
    x << "\t</Beats>\n\t<Notes>\n";
    for (int n = 0; n < note; ++n)
        x << "\t\t<Note id=\"" << n << "\"><Properties><Property name=\"Fret\"><Fret>" << rng.Between(0, 17)
          << "</Fret></Property><Property name=\"String\"><String>" << rng.Between(0, 5)
          << "</String></Property></Properties></Note>\n";
    x << "\t</Notes>\n\t<Rhythms>\n";
    static const char* const values[] = {"Whole", "Half", "Quarter", "Eighth", "16th", "32nd"};
    for (int r = 0; r < 6; ++r)
        x << "\t\t<Rhythm id=\"" << r << "\"><NoteValue>" << values[r] << "</NoteValue></Rhythm>\n";
    x << "\t</Rhythms>\n";
}

std::string ScoreXml(Rng& rng, const SongTexts& song, const std::string& wordsAndMusic) {
    const size_t target = rng.Size(200000, 0.6, 30000, 2000000);
    Xml x(target + 8192);
    x << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GPIF>\n\t<GPVersion>6.1.9</GPVersion>\n"
      << "\t<GPRevision required=\"12021\" recommended=\"12023\">12025</GPRevision>\n\t<Score>\n";
    x.CData("Title", song.Title).CData("SubTitle", song.Subtitle).CData("Artist", song.Artist);
    x.CData("Album", song.Album).CData("Words", song.Words).CData("Music", song.Music);
    x.CData("WordsAndMusic", wordsAndMusic).CData("Copyright", song.Copyright).CData("Tabber", song.Tabber);
    x.CData("Instructions", "").CData("Notices", "");
    x << "\t\t<FirstPageHeader><![CDATA[<p align=\"center\"><span "
         "style=\"font-size:35px\">%TITLE%</span></p>]]>"
      << "</FirstPageHeader>\n\t\t<PageSetup><Width>210</Width><Height>297</Height><Orientation>Portrait"
      << "</Orientation></PageSetup>\n\t\t<MultiVoice>0</MultiVoice>\n\t</Score>\n";
    const int tracks = rng.Between(1, 4);
    Tracks(x, rng, tracks);
    Music(x, rng, tracks, target);
    x << "</GPIF>\n";
    return std::move(x.Text);
}

std::string StyleSheet(Rng& rng) {
    ByteBuilder b;
    static const char* const keys[] = {"Global/PageMargin", "Global/Font", "Staff/LineWidth",
                                       "Tab/NumberFont"};
    for (int i = 0, n = rng.Between(200, 600); i < n; ++i)
        b.ByteString(keys[rng.Below(4)]).Byte(static_cast<uint8_t>(rng.Below(4))).Dword(rng.Next() & 0xFFFF);
    return b.Str();
}

void Pad(std::string& s) {
    s.resize((s.size() + Sector - 1) / Sector * Sector, '\0');
}

// An entry sector (kind 2, the name, the size, the list of data sectors), then the data sectors.
void AddFile(std::string& content, const char* name, const std::string& data) {
    const size_t first = content.size() / Sector + 1;
    const size_t count = (data.size() + Sector - 1) / Sector;
    ByteBuilder entry;
    entry.Dword(2).Bytes(name).Fill(0x8C - 4 - std::string_view(name).size());
    entry.Dword(static_cast<uint32_t>(data.size())).Dword(0);
    for (size_t i = 0; i < count && entry.Size() + 4 < Sector; ++i)
        entry.Dword(static_cast<uint32_t>(first + i));
    content += entry.Str();
    Pad(content);
    content += data;
    Pad(content);
}

} // namespace

std::string MakeGpxContent(Rng& rng, const SongTexts& song, const std::string& wordsAndMusic) {
    std::string content = "BCFS";
    Pad(content);
    AddFile(content, "misc.xml", MiscXml(rng));
    AddFile(content, "score.gpif", ScoreXml(rng, song, wordsAndMusic));
    AddFile(content, "BinaryStylesheet", StyleSheet(rng));
    AddFile(content, "PartConfiguration", std::string("\0\0\0\x01\xff\xff\xff\xff", 8));
    AddFile(content, "LayoutConfiguration", std::string(32, '\x01'));
    return content;
}
