#include "settings/IniFile.h"

#include "settings/Translate.h"

#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

const size_t npos = std::string::npos;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb))
            return false;
    }
    return true;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool Enclosed(const std::string& s) {
    return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back();
}

// Cuts after IniMaxValueLength characters, counting UTF-8 sequences (and stray bytes) as one.
std::string CutValue(std::string s) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            continue;
        if (++chars > IniMaxValueLength) {
            s.resize(i);
            break;
        }
    }
    return s;
}

// A line break inside a value would end the line and start a new key or section.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

std::string Protected(const std::string& value) {
    std::string v = OneLine(value);
    if (!v.empty() && (IsBlank(v.front()) || IsBlank(v.back()) || Enclosed(v)))
        return '"' + v + '"';
    return v;
}

std::optional<uint32_t> ParseDigits(const std::string& s, size_t from, unsigned base, uint64_t limit) {
    if (from >= s.size())
        return std::nullopt;
    uint64_t v = 0;
    for (size_t i = from; i < s.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        v = v * base + d;
        if (v > limit)
            return std::nullopt;
    }
    return static_cast<uint32_t>(v);
}

// Hexadecimal takes up to 32 bits as two's complement ("$FFFFFFFF" is -1); decimal must fit.
std::optional<int> ParseInteger(const std::string& s) {
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        auto v = ParseDigits(s, 2, 16, UINT32_MAX);
        return v ? std::optional<int>(static_cast<int32_t>(*v)) : std::nullopt;
    }
    size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        ++i;
    if (i < s.size() && s[i] == '$') {
        auto v = ParseDigits(s, i + 1, 16, UINT32_MAX);
        if (!v)
            return std::nullopt;
        const uint32_t u = negative ? 0u - *v : *v;
        return static_cast<int32_t>(u);
    }
    auto v = ParseDigits(s, i, 10, negative ? uint64_t(INT32_MAX) + 1 : INT32_MAX);
    if (!v)
        return std::nullopt;
    return negative ? static_cast<int>(-static_cast<int64_t>(*v)) : static_cast<int>(*v);
}

std::string WriteErrorText(const std::string& path) {
    std::string text = Tr("Unable to write to %s");
    const size_t at = text.find("%s");
    return at == npos ? text : text.replace(at, 2, path);
}

} // namespace

TIniDocument::TIniDocument(const std::string& text) {
    size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        Bom = true;
        start = 3;
    }
    const size_t firstBreak = text.find('\n', start);
    if (firstBreak != npos && firstBreak > start && text[firstBreak - 1] == '\r')
        Eol = "\r\n";
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == npos)
            end = text.size();
        std::string raw = text.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        Lines.push_back(ParseLine(raw));
        start = end + 1;
    }
}

std::string TIniDocument::Text() const {
    std::string text = Bom ? "\xEF\xBB\xBF" : "";
    for (const TLine& line : Lines)
        text += line.Raw + Eol;
    return text;
}

TIniDocument::TLine TIniDocument::ParseLine(const std::string& raw) {
    TLine line{raw, {}, TLine::Other};
    const std::string t = Trim(raw);
    if (!t.empty() && t[0] == '[') {
        line.Kind = TLine::Section;
        line.Name = Trim(t.substr(1, t.find(']') == npos ? npos : t.find(']') - 1));
    } else if (!t.empty() && t[0] != ';' && t.find('=') != npos) {
        line.Kind = TLine::Key;
        line.Name = Trim(t.substr(0, t.find('=')));
    }
    return line;
}

size_t TIniDocument::FindSection(const std::string& section) const {
    for (size_t i = 0; i < Lines.size(); ++i)
        if (Lines[i].Kind == TLine::Section && SameName(Lines[i].Name, section))
            return i;
    return npos;
}

size_t TIniDocument::SectionEnd(size_t sectionLine) const {
    size_t i = sectionLine + 1;
    while (i < Lines.size() && Lines[i].Kind != TLine::Section)
        ++i;
    return i;
}

size_t TIniDocument::FindKey(size_t sectionLine, const std::string& key) const {
    const size_t end = SectionEnd(sectionLine);
    for (size_t i = sectionLine + 1; i < end; ++i)
        if (Lines[i].Kind == TLine::Key && SameName(Lines[i].Name, key))
            return i;
    return npos;
}

const std::string* TIniDocument::FindValue(const std::string& section, const std::string& key) const {
    const size_t s = FindSection(section);
    const size_t k = s == npos ? npos : FindKey(s, key);
    return k == npos ? nullptr : &Lines[k].Raw;
}

bool TIniDocument::SectionExists(const std::string& section) const {
    return FindSection(section) != npos;
}

bool TIniDocument::KeyExists(const std::string& section, const std::string& key) const {
    return FindValue(section, key) != nullptr;
}

namespace {

std::string ValueOf(const std::string& raw) {
    std::string v = Trim(raw.substr(raw.find('=') + 1));
    if (Enclosed(v))
        v = v.substr(1, v.size() - 2);
    return CutValue(std::move(v));
}

} // namespace

std::vector<IniPair> TIniDocument::ReadSection(const std::string& section) const {
    std::vector<IniPair> pairs;
    const size_t s = FindSection(section);
    if (s == npos)
        return pairs;
    for (size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
        if (Lines[i].Kind == TLine::Key)
            pairs.emplace_back(Lines[i].Name, ValueOf(Lines[i].Raw));
    return pairs;
}

std::string TIniDocument::ReadString(const std::string& section, const std::string& key,
                                     const std::string& def) const {
    const std::string* raw = FindValue(section, key);
    return raw ? ValueOf(*raw) : def;
}

int TIniDocument::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const std::string* raw = FindValue(section, key);
    if (!raw)
        return def;
    return ParseInteger(ValueOf(*raw)).value_or(def);
}

bool TIniDocument::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniDocument::WriteRawValue(const std::string& section, const std::string& key,
                                 const std::string& value) {
    const std::string raw = key + "=" + OneLine(value);
    size_t s = FindSection(section);
    if (s == npos) {
        if (!Lines.empty() && !Trim(Lines.back().Raw).empty())
            Lines.push_back(ParseLine(""));
        Lines.push_back(ParseLine("[" + section + "]"));
        Lines.push_back(ParseLine(raw));
        return;
    }
    const size_t k = FindKey(s, key);
    if (k != npos) {
        Lines[k].Raw = Lines[k].Name + "=" + OneLine(value);
        return;
    }
    size_t at = s + 1; // after the section's last key, so comments heading the next section stay there
    for (size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
        if (Lines[i].Kind == TLine::Key)
            at = i + 1;
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(at), ParseLine(raw));
}

void TIniDocument::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    WriteRawValue(section, key, Protected(value));
}

void TIniDocument::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteRawValue(section, key, std::to_string(value));
}

void TIniDocument::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteRawValue(section, key, value ? "1" : "0");
}

void TIniDocument::DeleteKey(const std::string& section, const std::string& key) {
    const size_t s = FindSection(section);
    if (s == npos)
        return;
    for (size_t k = FindKey(s, key); k != npos; k = FindKey(s, key))
        Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(k));
}

void TIniDocument::EraseSection(const std::string& section) {
    for (size_t s = FindSection(section); s != npos; s = FindSection(section))
        Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(s),
                    Lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(s)));
}

namespace {

// The file's text; nullopt when it exists but cannot be read.
std::optional<std::string> ReadFileText(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        return std::string();
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return text;
}

} // namespace

TIniFile::TIniFile(std::string path) : FilePath(std::move(path)) {
    Reload();
}

void TIniFile::Reload() {
    Doc = TIniDocument(ReadFileText(FilePath).value_or(std::string()));
}

void TIniFile::Update(const std::function<void(TIniDocument&)>& change) {
    // An existing file that cannot be read is not replaced: that would lose every other key.
    std::optional<std::string> text = ReadFileText(FilePath);
    if (!text)
        throw EIniWriteError(WriteErrorText(FilePath));
    TIniDocument doc(*text);
    change(doc);
    Save(doc);
    Doc = std::move(doc);
}

void TIniFile::Save(const TIniDocument& doc) {
    QSaveFile file(QString::fromStdString(FilePath));
    file.setDirectWriteFallback(true);
    const std::string text = doc.Text();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit())
        throw EIniWriteError(WriteErrorText(FilePath));
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    Update([&](TIniDocument& d) { d.WriteString(section, key, value); });
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    Update([&](TIniDocument& d) { d.WriteInteger(section, key, value); });
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    Update([&](TIniDocument& d) { d.WriteBool(section, key, value); });
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    Update([&](TIniDocument& d) { d.DeleteKey(section, key); });
}
