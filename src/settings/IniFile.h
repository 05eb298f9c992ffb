#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "readers/TabInfo.h"

// A settings file cannot be written; the message is "Unable to write to <path>", translated.
class EIniWriteError : public EQuiravelError {
public:
    using EQuiravelError::EQuiravelError;
};

// Longest value a read returns, in characters; longer values are cut.
constexpr size_t IniMaxValueLength = 2047;

// One key and its value as a read returns them.
using IniPair = std::pair<std::string, std::string>;

// The text of an INI file, UTF-8, kept line by line so that everything a change does not touch
// (comments, other programs' keys, blank lines, line endings) is written back as it was read.
// Sections and keys are matched without regard to ASCII case; the first of duplicates wins.
// A value read is trimmed of blanks and of one pair of enclosing quotes; a value written is
// quoted where that is needed to read it back unchanged.
class TIniDocument {
public:
    TIniDocument() = default;
    explicit TIniDocument(const std::string& text);

    std::string Text() const;

    bool SectionExists(const std::string& section) const;
    bool KeyExists(const std::string& section, const std::string& key) const;
    // The keys of a section with their values, in file order.
    std::vector<IniPair> ReadSection(const std::string& section) const;

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; anything else gives def.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // An integer; any value but 0 is true.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    // The value goes into the file as given, without protective quotes (line breaks still become
    // spaces), for stores that quote their values themselves.
    void WriteRawValue(const std::string& section, const std::string& key, const std::string& value);

    void DeleteKey(const std::string& section, const std::string& key);
    // Removes every section of that name with its keys.
    void EraseSection(const std::string& section);

private:
    struct TLine {
        std::string Raw;
        std::string Name; // section name, or key name of a key line
        enum TKind { Other, Section, Key } Kind = Other;
    };

    static TLine ParseLine(const std::string& raw);
    // Index of the section line, or npos.
    size_t FindSection(const std::string& section) const;
    // Index of the key line inside the section starting at sectionLine, or npos.
    size_t FindKey(size_t sectionLine, const std::string& key) const;
    size_t SectionEnd(size_t sectionLine) const;
    const std::string* FindValue(const std::string& section, const std::string& key) const;

    std::vector<TLine> Lines;
    std::string Eol = "\n";
    bool Bom = false;
};

// An INI file on disk. The file is read when the object is made (a missing or unreadable file
// reads as empty); reads answer from that copy. Every write reads the file again, applies the
// change and replaces the file at once through a temporary file, so other writers' sections are
// kept and an interrupted write leaves the previous file whole. Writes raise EIniWriteError.
//
// Thread safety: none; one object belongs to one thread. Two objects on one path must not write
// at the same time.
class TIniFile {
public:
    explicit TIniFile(std::string path);

    const std::string& Path() const { return FilePath; }
    const TIniDocument& Document() const { return Doc; }
    void Reload();

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const {
        return Doc.ReadString(section, key, def);
    }
    int ReadInteger(const std::string& section, const std::string& key, int def) const {
        return Doc.ReadInteger(section, key, def);
    }
    bool ReadBool(const std::string& section, const std::string& key, bool def) const {
        return Doc.ReadBool(section, key, def);
    }

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void DeleteKey(const std::string& section, const std::string& key);
    // Several changes in one replacement of the file.
    void Update(const std::function<void(TIniDocument&)>& change);

private:
    void Save(const TIniDocument& doc);

    std::string FilePath;
    TIniDocument Doc;
};
