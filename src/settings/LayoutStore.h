#pragma once

#include <string>
#include <vector>

#include "settings/IniFile.h"

// State that the window layers keep in the settings file besides the settings themselves.

// The toolbar and docking layer's sections. Their keys and values are the layer's own choice;
// keys within a section are unique.
struct ToolbarLayout {
    std::vector<IniPair> Items; // "Items": the customised command layout
    // "ExtraOptions"
    std::string Skin;                // name of the active skin
    std::string WindowState;         // "MainForm.WindowState"
    std::string Bounds;              // "MainForm.Bounds"
    std::string RestoreBounds;       // "MainForm.RestoreBounds"
    std::vector<IniPair> Layouts;    // "Layouts": the named layouts
    std::vector<IniPair> LastLayout; // "LastLayout": bar and panel positions at the last exit

    bool operator==(const ToolbarLayout&) const = default;
};

ToolbarLayout ReadToolbarLayout(const TIniFile& file);
// Replaces the layer's sections in one write of the file; other sections stay as they are.
// Raises EIniWriteError.
void WriteToolbarLayout(TIniFile& file, const ToolbarLayout& layout);

// Sections of the grid property store.
inline constexpr const char* GridOptionsSection = "GridOptions";
inline constexpr const char* SQLEditorSection = "SQLEditor";
inline constexpr const char* PrintPreviewSection = "PrintPreview";

// The grid property store: a window part's serialized state as numbered keys "Line0", "Line1",
// ..., one text line each, wrapped in single quotes. The path is set once at program start.
class TGridPropertyStore {
public:
    explicit TGridPropertyStore(std::string iniPath) : IniPath(std::move(iniPath)) {}

    const std::string& Path() const { return IniPath; }
    // The lines from "Line0" up to the first missing number; empty when the section is missing.
    std::vector<std::string> Load(const std::string& section) const;
    // Writes the lines and deletes the higher-numbered "Line" keys of an earlier, longer save, in
    // one write of the file, so the section never mixes two saves. Line breaks inside a line
    // become spaces. Raises EIniWriteError.
    void Save(const std::string& section, const std::vector<std::string>& lines) const;

private:
    std::string IniPath;
};
