#include "readers/PowerTab.h"

#include "readers/TabRead.h"

namespace {

// "ptab" as a little-endian 32-bit value.
constexpr uint32_t PTBSignature = 0x62617470;
constexpr uint8_t NoAlbumFlag = 10;
constexpr uint8_t NoCreditsFlag = 1;

void ReadClassicHeader(TTabStream& stream, uint16_t version, PTBClassicHeader& h) {
    ReadByteString(stream, h.Title);
    ReadByteString(stream, h.Artist);
    ReadByte(stream, h.AlbumFlag);
    ReadByteString(stream, h.Album);
    ReadByte(stream, h.Unused1);
    ReadByteString(stream, h.Music);
    ReadByteString(stream, h.Words);
    ReadByteString(stream, h.Unused2);
    // Version 3 dropped one string, so its year word follows the previous string directly.
    if (version < 3)
        ReadByteString(stream, h.Unused3);
    ReadWord(stream, h.Year);
    ReadByte(stream, h.CreditsFlag);
}

void ReadSongHeader(TTabStream& stream, PTBSongHeader& h) {
    ReadByte(stream, h.Unused1);
    ReadByteString(stream, h.Title);
    ReadByteString(stream, h.Artist);
    ReadByte(stream, h.ReleaseKind);
    switch (h.ReleaseKind) {
    case 0:
        ReadByte(stream, h.ReleaseByte1);
        ReadByteString(stream, h.Album);
        ReadWord(stream, h.ReleaseWords[0]);
        ReadByte(stream, h.ReleaseByte2);
        break;
    case 1:
        ReadByteString(stream, h.Album);
        ReadByte(stream, h.ReleaseByte2);
        break;
    case 2:
        ReadByteString(stream, h.Album);
        for (uint16_t& w : h.ReleaseWords)
            ReadWord(stream, w);
        break;
    default: // no release block
        break;
    }
    ReadByte(stream, h.CreditsKind);
    if (h.CreditsKind == 0) {
        ReadByteString(stream, h.Music);
        ReadByteString(stream, h.Words);
    }
}

void ReadLessonHeader(TTabStream& stream, PTBLessonHeader& h) {
    ReadByteString(stream, h.Title);
    ReadByteString(stream, h.Unused1);
    ReadWord(stream, h.Unused2);
    ReadByte(stream, h.Unused3);
    ReadByteString(stream, h.Artist);
}

void CopyText(char* field, const char* slot) {
    CopyToField(field, TabTextSize, slot);
}

void SongToTabInfo(const PTBSongHeader& h, TabInfo& info) {
    CopyText(info.Title, h.Title);
    CopyText(info.Artist, h.Artist);
    if (h.ReleaseKind <= 2)
        CopyText(info.Album, h.Album);
    if (h.ReleaseKind == 0)
        info.Year = h.ReleaseWords[0];
    else if (h.ReleaseKind == 2)
        info.Year = h.ReleaseWords[2];
    if (h.CreditsKind == 0) {
        CopyText(info.Music, h.Music);
        CopyText(info.Words, h.Words);
    }
}

} // namespace

void ReadPTBHeader(TTabStream& stream, PTBHeader& header) {
    ZeroField(&header, sizeof header);
    // Both are read before either is examined, so a 5-byte file fails on the version.
    uint32_t signature;
    ReadDword(stream, signature);
    ReadWord(stream, header.Version);
    if (signature != PTBSignature)
        throw ETabError("Not a PTB");
    switch (header.Version) {
    case 1:
    case 2:
    case 3:
        ReadClassicHeader(stream, header.Version, header.Classic);
        break;
    case 4:
        ReadByte(stream, header.HeaderKind);
        if (header.HeaderKind == phkSong)
            ReadSongHeader(stream, header.Song);
        else if (header.HeaderKind == phkLesson)
            ReadLessonHeader(stream, header.Lesson);
        else
            throw ETabError("Not a song/lesson");
        break;
    default:
        throw ETabError("PTB header: version unknown");
    }
}

void PTBHeaderToTabInfo(const PTBHeader& header, TabInfo& info) {
    ClearTabInfo(info);
    info.Encoding = teAnsi;
    if (header.Version >= 1 && header.Version <= 3) {
        const PTBClassicHeader& h = header.Classic;
        CopyText(info.Title, h.Title);
        CopyText(info.Artist, h.Artist);
        if (h.AlbumFlag != NoAlbumFlag) {
            CopyText(info.Album, h.Album);
            info.Year = h.Year;
        }
        if (h.CreditsFlag != NoCreditsFlag) {
            CopyText(info.Music, h.Music);
            CopyText(info.Words, h.Words);
        }
    } else if (header.Version == 4 && header.HeaderKind == phkSong) {
        SongToTabInfo(header.Song, info);
    } else if (header.Version == 4 && header.HeaderKind == phkLesson) {
        CopyText(info.Title, header.Lesson.Title);
        CopyText(info.Artist, header.Lesson.Artist);
    }
}

void ReadPTBFile(TTabStream& stream, TabInfo& info) {
    PTBHeader header;
    ReadPTBHeader(stream, header);
    PTBHeaderToTabInfo(header, info);
}
