#include "settings/Settings.h"

#include "settings/IniFile.h"
#include "settings/Translate.h"

#include <QDir>
#include <QStandardPaths>

#include <filesystem>

namespace {

// The version of the engine list and of the toolbar layout that this program writes; a file
// holding another version (older programs, or none) yields to "default.ini".
constexpr int CurrentConfigVer = 1;
constexpr int CurrentLayoutVer = 1;
constexpr int CurrentGridVer = 1;

// XDG base folders may be missing on a fresh account, so the whole path is made.
std::string UserFolder(QStandardPaths::StandardLocation base) {
    const QString folder = QStandardPaths::writableLocation(base) + "/Quiravel";
    QDir().mkpath(folder);
    return QDir::cleanPath(folder).toStdString();
}

std::string JoinPath(const std::string& folder, const char* name) {
    return (std::filesystem::path(folder) / name).string();
}

void ReadMain(const TIniFile& f, MainSettings& m) {
    const char* const s = "Main";
    m.ArtistsSortDirection = f.ReadBool(s, "ArtistsSortDirection", m.ArtistsSortDirection);
    m.AlbumsSortDirection = f.ReadBool(s, "AlbumsSortDirection", m.AlbumsSortDirection);
    m.SelectionMode = f.ReadBool(s, "SelectionMode", m.SelectionMode);
    m.FullGridMode = f.ReadBool(s, "FullGridMode", m.FullGridMode);
    m.GridLines = f.ReadBool(s, "GridLines", m.GridLines);
    m.DatabaseName = f.ReadString(s, "DatabaseName", m.DatabaseName);
    m.LargeIcons = f.ReadBool(s, "LargeIcons", m.LargeIcons);
    m.SkinAll = f.ReadBool(s, "SkinAll", m.SkinAll);
}

void ReadSearch(const TIniFile& f, SearchSettings& m) {
    const char* const s = "Search";
    m.SearchComboBox = f.ReadInteger(s, "SearchComboBox", m.SearchComboBox);
    if (m.SearchComboBox < 0 || m.SearchComboBox > 3)
        m.SearchComboBox = 3;
    m.SearchCompareMode = f.ReadInteger(s, "SearchCompareMode", m.SearchCompareMode);
    m.FileNameSearch = f.ReadInteger(s, "FileNameSearch", m.FileNameSearch);
    m.RealTimeSearch = f.ReadBool(s, "RealTimeSearch", m.RealTimeSearch);
    m.UseThreads = f.ReadBool(s, "UseThreads", m.UseThreads);
}

void ReadPrintAndZip(const TIniFile& f, PrintSettings& p, ZipSettings& z) {
    p.PrintPageNumber = f.ReadBool("Print", "PrintPageNumber", p.PrintPageNumber);
    p.PrintCurrentDate = f.ReadBool("Print", "PrintCurrentDate", p.PrintCurrentDate);
    p.ColontitlesAtTop = f.ReadBool("Print", "ColontitlesAtTop", p.ColontitlesAtTop);
    z.LastZipMode = f.ReadInteger("Zip", "LastZipMode", z.LastZipMode);
    z.ShowZipDlg = f.ReadBool("Zip", "ShowZipDlg", z.ShowZipDlg);
    z.PreserveDirs = f.ReadBool("Zip", "PreserveDirs", z.PreserveDirs);
    z.OverwriteZip = f.ReadBool("Zip", "OverwriteZip", z.OverwriteZip);
}

void WriteMain(TIniFile& f, const MainSettings& m) {
    const char* const s = "Main";
    f.WriteBool(s, "SelectionMode", m.SelectionMode);
    f.WriteBool(s, "FullGridMode", m.FullGridMode);
    f.WriteBool(s, "GridLines", m.GridLines);
    f.WriteBool(s, "ArtistsSortDirection", m.ArtistsSortDirection);
    f.WriteBool(s, "AlbumsSortDirection", m.AlbumsSortDirection);
    f.WriteString(s, "DatabaseName", m.DatabaseName);
    f.WriteBool(s, "LargeIcons", m.LargeIcons);
    f.WriteBool(s, "SkinAll", m.SkinAll);
}

void WriteSearch(TIniFile& f, const SearchSettings& m) {
    const char* const s = "Search";
    f.WriteInteger(s, "SearchComboBox", m.SearchComboBox);
    f.WriteInteger(s, "SearchCompareMode", m.SearchCompareMode);
    f.WriteInteger(s, "FileNameSearch", m.FileNameSearch);
    f.WriteBool(s, "RealTimeSearch", m.RealTimeSearch);
    f.WriteBool(s, "UseThreads", m.UseThreads);
}

void WritePrintAndZip(TIniFile& f, const PrintSettings& p, const ZipSettings& z) {
    f.WriteBool("Print", "PrintPageNumber", p.PrintPageNumber);
    f.WriteBool("Print", "PrintCurrentDate", p.PrintCurrentDate);
    f.WriteBool("Print", "ColontitlesAtTop", p.ColontitlesAtTop);
    f.WriteInteger("Zip", "LastZipMode", z.LastZipMode);
    f.WriteBool("Zip", "OverwriteZip", z.OverwriteZip);
    f.WriteBool("Zip", "ShowZipDlg", z.ShowZipDlg);
    f.WriteBool("Zip", "PreserveDirs", z.PreserveDirs);
}

} // namespace

std::string SettingsFolder() {
    return UserFolder(QStandardPaths::GenericConfigLocation);
}

std::string LocalDataFolder() {
    return UserFolder(QStandardPaths::GenericDataLocation);
}

SettingsFiles SettingsFiles::Standard() {
    return {JoinPath(SettingsFolder(), "config.ini"), JoinPath(ProgramFolder(), "default.ini")};
}

std::string ReadStartLanguage(const SettingsFiles& files) {
    std::string code = TIniFile(files.Config).ReadString("Lang", "Language", "");
    if (code.empty())
        code = TIniFile(files.Defaults).ReadString("Lang", "Language", "");
    return code;
}

SettingsOrigin ReadSettings(const SettingsFiles& files, AppSettings& settings, WSEngineList& engines,
                            TLayoutHost* host) {
    const TIniFile config(files.Config);
    AppSettings read; // the defaults
    ReadMain(config, read.Main);
    ReadSearch(config, read.Search);
    ReadPrintAndZip(config, read.Print, read.Zip);
    const int layoutVer = config.ReadInteger("Compat", "LayoutVer", 0);
    const int configVer = config.ReadInteger("Compat", "ConfigVer", 0);
    read.Lang.CodePage = config.ReadInteger("Lang", "CodePage", read.Lang.CodePage);
    read.WebSearch.SelectedItem =
        config.ReadInteger("WebSearch", "SelectedItem", read.WebSearch.SelectedItem);
    settings = read;

    SettingsOrigin origin{configVer != CurrentConfigVer, layoutVer != CurrentLayoutVer};
    const TIniFile defaults(files.Defaults);
    ReadEngines(origin.EnginesFromDefaults ? defaults : config, engines);
    if (host)
        host->RestoreLayout(ReadToolbarLayout(origin.LayoutFromDefaults ? defaults : config),
                            origin.LayoutFromDefaults);
    return origin;
}

void WriteSettings(const SettingsFiles& files, const AppSettings& settings, const WSEngineList& engines,
                   TLayoutHost* host) {
    TIniFile config(files.Config);
    config.WriteString("Lang", "Language", CurrentLanguage());
    config.WriteInteger("Lang", "CodePage", settings.Lang.CodePage);
    WriteMain(config, settings.Main);
    WriteSearch(config, settings.Search);
    WritePrintAndZip(config, settings.Print, settings.Zip);
    config.WriteInteger("Compat", "LayoutVer", CurrentLayoutVer);
    config.WriteInteger("Compat", "ConfigVer", CurrentConfigVer);
    config.WriteInteger("Compat", "GridVer", CurrentGridVer);
    WriteEngines(config, engines);
    config.WriteInteger("WebSearch", "SelectedItem", settings.WebSearch.SelectedItem);
    if (host)
        WriteToolbarLayout(config, host->SaveLayout());
}
