#include "settings/LayoutStore.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

namespace {

const char* const ItemsSection = "Items";
const char* const ExtraSection = "ExtraOptions";
const char* const LayoutsSection = "Layouts";
const char* const LastLayoutSection = "LastLayout";

void WritePairs(TIniDocument& doc, const char* section, const std::vector<IniPair>& pairs) {
    for (const IniPair& p : pairs)
        doc.WriteString(section, p.first, p.second);
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The number of a key "Line<digits>", any case.
std::optional<size_t> LineNumber(const std::string& key) {
    const std::string k = Lower(key);
    if (k.size() <= 4 || k.compare(0, 4, "line") != 0)
        return std::nullopt;
    size_t n = 0;
    const auto [end, ec] = std::from_chars(k.data() + 4, k.data() + k.size(), n);
    if (ec != std::errc() || end != k.data() + k.size())
        return std::nullopt;
    return n;
}

} // namespace

ToolbarLayout ReadToolbarLayout(const TIniFile& file) {
    ToolbarLayout layout;
    const TIniDocument& doc = file.Document();
    layout.Items = doc.ReadSection(ItemsSection);
    layout.Skin = doc.ReadString(ExtraSection, "Skin", "");
    layout.WindowState = doc.ReadString(ExtraSection, "MainForm.WindowState", "");
    layout.Bounds = doc.ReadString(ExtraSection, "MainForm.Bounds", "");
    layout.RestoreBounds = doc.ReadString(ExtraSection, "MainForm.RestoreBounds", "");
    layout.Layouts = doc.ReadSection(LayoutsSection);
    layout.LastLayout = doc.ReadSection(LastLayoutSection);
    return layout;
}

void WriteToolbarLayout(TIniFile& file, const ToolbarLayout& layout) {
    file.Update([&](TIniDocument& doc) {
        for (const char* s : {ItemsSection, ExtraSection, LayoutsSection, LastLayoutSection})
            doc.EraseSection(s);
        WritePairs(doc, ItemsSection, layout.Items);
        doc.WriteString(ExtraSection, "Skin", layout.Skin);
        doc.WriteString(ExtraSection, "MainForm.WindowState", layout.WindowState);
        doc.WriteString(ExtraSection, "MainForm.Bounds", layout.Bounds);
        doc.WriteString(ExtraSection, "MainForm.RestoreBounds", layout.RestoreBounds);
        WritePairs(doc, LayoutsSection, layout.Layouts);
        WritePairs(doc, LastLayoutSection, layout.LastLayout);
    });
}

std::vector<std::string> TGridPropertyStore::Load(const std::string& section) const {
    const TIniFile file(IniPath);
    std::map<size_t, std::string> byNumber;
    for (IniPair& p : file.Document().ReadSection(section)) {
        const auto n = LineNumber(p.first);
        if (n && "line" + std::to_string(*n) == Lower(p.first))
            byNumber.emplace(*n, std::move(p.second));
    }
    std::vector<std::string> lines;
    for (auto it = byNumber.find(0); it != byNumber.end() && it->first == lines.size(); ++it)
        lines.push_back(std::move(it->second));
    return lines;
}

void TGridPropertyStore::Save(const std::string& section, const std::vector<std::string>& lines) const {
    TIniFile file(IniPath);
    file.Update([&](TIniDocument& doc) {
        for (size_t n = 0; n < lines.size(); ++n)
            doc.WriteRawValue(section, "Line" + std::to_string(n), "'" + lines[n] + "'");
        for (const IniPair& p : doc.ReadSection(section)) {
            const auto n = LineNumber(p.first);
            if (n && *n >= lines.size())
                doc.DeleteKey(section, p.first);
        }
    });
}
