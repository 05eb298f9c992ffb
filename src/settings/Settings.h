#pragma once

#include <string>

#include "settings/LayoutStore.h"
#include "settings/WebSearch.h"

// The user's settings, named by their keys in "config.ini" and grouped by its sections.

struct MainSettings {
    bool ArtistsSortDirection = true; // true: ascending
    bool AlbumsSortDirection = true;
    bool SelectionMode = false;
    bool FullGridMode = true;
    bool GridLines = true;
    std::string DatabaseName; // empty: no catalogue, offer a new one
    bool LargeIcons = false;
    bool SkinAll = false;

    bool operator==(const MainSettings&) const = default;
};

struct SearchSettings {
    int SearchComboBox = 3;    // 0 title, 1 artist, 2 album, 3 all
    int SearchCompareMode = 0; // 0 contains, 1 begins with, 2 equals
    int FileNameSearch = 0;    // 0 none, 1 file names, 2 file and folder names
    bool RealTimeSearch = true;
    bool UseThreads = true;

    bool operator==(const SearchSettings&) const = default;
};

struct PrintSettings {
    bool PrintPageNumber = true;
    bool PrintCurrentDate = false;
    bool ColontitlesAtTop = false;

    bool operator==(const PrintSettings&) const = default;
};

struct ZipSettings {
    int LastZipMode = 2; // 1 selected, 2 displayed, 3 all
    bool ShowZipDlg = true;
    bool PreserveDirs = true;
    bool OverwriteZip = false;

    bool operator==(const ZipSettings&) const = default;
};

struct LangSettings {
    int CodePage = 0; // kept and written back only

    bool operator==(const LangSettings&) const = default;
};

struct WebSearchSettings {
    int SelectedItem = 0; // position of the checked engine

    bool operator==(const WebSearchSettings&) const = default;
};

struct AppSettings {
    MainSettings Main;
    SearchSettings Search;
    PrintSettings Print;
    ZipSettings Zip;
    LangSettings Lang;
    WebSearchSettings WebSearch;

    bool operator==(const AppSettings&) const = default;
};

// Per-user folder of "config.ini", and the per-user local folder proposed for new catalogues:
// paths without a trailing separator, created when missing (a failure is ignored).
std::string SettingsFolder();
std::string LocalDataFolder();

struct SettingsFiles {
    std::string Config;   // the user's file, read and written
    std::string Defaults; // shipped with the program, only read

    // SettingsFolder()/config.ini and ProgramFolder()/default.ini.
    static SettingsFiles Standard();
};

// The main window's side of the toolbar and docking layer.
class TLayoutHost {
public:
    virtual ~TLayoutHost() = default;
    // Applies a layout read from the settings; fromDefaults: it is the shipped one (or none),
    // and the window is to be centred on the desktop.
    virtual void RestoreLayout(const ToolbarLayout& layout, bool fromDefaults) = 0;
    // The layout to keep for the next start.
    virtual ToolbarLayout SaveLayout() = 0;
};

// The language to switch to before any window is translated: "config.ini", else "default.ini";
// empty means the system's language.
std::string ReadStartLanguage(const SettingsFiles& files);

// Which file the engines and the layout came from.
struct SettingsOrigin {
    bool EnginesFromDefaults = false;
    bool LayoutFromDefaults = false;
};

// Reads the settings from "config.ini" (a missing or unreadable value keeps the default), appends
// the engines of "config.ini" when it holds the current engine list version, else those of
// "default.ini", and hands the host the layout of the file whose layout version is current the
// same way. SearchComboBox outside 0..3 becomes 3. host may be null.
SettingsOrigin ReadSettings(const SettingsFiles& files, AppSettings& settings, WSEngineList& engines,
                            TLayoutHost* host);

// Writes every setting as given (the window first puts in the Selection Mode check, the search
// field and the checked engine), the language in use, the version keys, the engines and then the host's
// layout to "config.ini", each value at once. Raises EIniWriteError at the first write that fails;
// nothing after it is written. host may be null.
void WriteSettings(const SettingsFiles& files, const AppSettings& settings, const WSEngineList& engines,
                   TLayoutHost* host);
