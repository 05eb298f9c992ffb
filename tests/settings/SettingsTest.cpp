#include "settings/Settings.h"

#include "settings/IniFile.h"
#include "settings/Translate.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

void Spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class TRecordingHost : public TLayoutHost {
public:
    void RestoreLayout(const ToolbarLayout& layout, bool fromDefaults) override {
        Restored = layout;
        FromDefaults = fromDefaults;
    }
    ToolbarLayout SaveLayout() override {
        ++Saves;
        return ToSave;
    }

    std::optional<ToolbarLayout> Restored;
    bool FromDefaults = false;
    ToolbarLayout ToSave;
    int Saves = 0;
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocaleFolder(QV_BUILD_DIR "/locale");
        UseLanguage("en");
    }
    void TearDown() override { UseLanguage("en"); }

    QTemporaryDir Dir;
    SettingsFiles Files{Dir.filePath("config.ini").toStdString(), Dir.filePath("default.ini").toStdString()};
};

TEST_F(SettingsTest, FirstStartRunsOnDefaultsAndExitWritesEveryKey) {
    AppSettings settings;
    settings.Main.DatabaseName = "left over";
    WSEngineList engines;
    TRecordingHost host;
    const SettingsOrigin origin = ReadSettings(Files, settings, engines, &host);
    EXPECT_EQ(settings, AppSettings());
    EXPECT_TRUE(engines.empty());
    EXPECT_TRUE(origin.EnginesFromDefaults && origin.LayoutFromDefaults);
    ASSERT_TRUE(host.Restored);
    EXPECT_EQ(*host.Restored, ToolbarLayout());
    EXPECT_TRUE(host.FromDefaults);
    EXPECT_EQ(ReadStartLanguage(Files), "");

    UseLanguage("de");
    WriteSettings(Files, settings, engines, &host);
    const TIniFile file(Files.Config);
    const TIniDocument& written = file.Document();
    const char* const keys[][2] = {
        {"Main", "ArtistsSortDirection"},
        {"Main", "AlbumsSortDirection"},
        {"Main", "SelectionMode"},
        {"Main", "FullGridMode"},
        {"Main", "GridLines"},
        {"Main", "DatabaseName"},
        {"Main", "LargeIcons"},
        {"Main", "SkinAll"},
        {"Search", "SearchComboBox"},
        {"Search", "SearchCompareMode"},
        {"Search", "FileNameSearch"},
        {"Search", "RealTimeSearch"},
        {"Search", "UseThreads"},
        {"Print", "PrintPageNumber"},
        {"Print", "PrintCurrentDate"},
        {"Print", "ColontitlesAtTop"},
        {"Zip", "LastZipMode"},
        {"Zip", "ShowZipDlg"},
        {"Zip", "PreserveDirs"},
        {"Zip", "OverwriteZip"},
        {"Lang", "CodePage"},
        {"WebSearch", "SelectedItem"},
        {"ExtraOptions", "Skin"},
    };
    for (const auto& k : keys)
        EXPECT_TRUE(written.KeyExists(k[0], k[1])) << k[0] << "/" << k[1];
    EXPECT_EQ(written.ReadString("Lang", "Language", ""), "de");
    EXPECT_EQ(written.ReadString("WebSearch", "ItemsCount", ""), "0");
    for (const char* v : {"LayoutVer", "ConfigVer", "GridVer"})
        EXPECT_EQ(written.ReadString("Compat", v, ""), "1") << v;
}

TEST_F(SettingsTest, WhatIsWrittenIsReadBackAndForeignKeysStay) {
    Spit(Files.Config, "[Main]\nForeign=1\n[GridOptions]\nLine0='grid'\n[Mine]\na=b\n");
    AppSettings settings;
    settings.Main = {false, false, true, false, false, "/home/u/My Tabs/tabs.db3", true, true};
    settings.Search = {1, 2, 2, false, false};
    settings.Print = {false, true, true};
    settings.Zip = {3, false, false, true};
    settings.Lang.CodePage = 4;
    settings.WebSearch.SelectedItem = 1;
    const WSEngineList engines = {WSItem{"A", "a$SEARCHTERM", "", "", ""}, WSItem{"B", "", "", "", "b"}};
    TRecordingHost host;
    host.ToSave = {{{"MainToolbar", "AUpdateDB,-,AZip"}},
                   "Dark",
                   "2",
                   "0,0,675,552",
                   "10,10,600,500",
                   {{"Count", "0"}},
                   {{"State", "AAAA/w=="}}};
    WriteSettings(Files, settings, engines, &host);

    AppSettings read;
    WSEngineList readEngines;
    TRecordingHost readHost;
    const SettingsOrigin origin = ReadSettings(Files, read, readEngines, &readHost);
    EXPECT_EQ(read, settings);
    ASSERT_EQ(readEngines.size(), 2u);
    EXPECT_EQ(readEngines[1].AllURL, "b");
    EXPECT_FALSE(origin.EnginesFromDefaults || origin.LayoutFromDefaults);
    EXPECT_EQ(readHost.Restored, host.ToSave);
    EXPECT_FALSE(readHost.FromDefaults);

    const TIniFile file(Files.Config);
    EXPECT_EQ(file.ReadString("Main", "Foreign", ""), "1");
    EXPECT_EQ(file.ReadString("Mine", "a", ""), "b");
    EXPECT_EQ(file.ReadString("GridOptions", "Line0", ""), "grid");
}

TEST_F(SettingsTest, VersionKeysChooseTheFileOfEnginesAndLayout) {
    Spit(Files.Defaults, "[WebSearch]\nItemsCount=1\nItem_0_Title=Def\n[ExtraOptions]\nSkin=DefSkin\n");
    struct {
        const char* compat;
        bool enginesFromDefaults, layoutFromDefaults;
    } rows[] = {
        {"", true, true},
        {"[Compat]\nConfigVer=0\nLayoutVer=0\n", true, true},
        {"[Compat]\nConfigVer=1\nLayoutVer=1\n", false, false},
        {"[Compat]\nConfigVer=1\nLayoutVer=2\n", false, true},
        {"[Compat]\nConfigVer=$2\nLayoutVer=0x1\n", true, false},
    };
    for (const auto& r : rows) {
        Spit(Files.Config, std::string(r.compat) +
                               "[WebSearch]\nItemsCount=1\nItem_0_Title=Cfg\n[ExtraOptions]\nSkin=CfgSkin\n");
        AppSettings settings;
        WSEngineList engines;
        TRecordingHost host;
        const SettingsOrigin origin = ReadSettings(Files, settings, engines, &host);
        EXPECT_EQ(origin.EnginesFromDefaults, r.enginesFromDefaults) << r.compat;
        EXPECT_EQ(origin.LayoutFromDefaults, r.layoutFromDefaults) << r.compat;
        ASSERT_EQ(engines.size(), 1u);
        EXPECT_EQ(engines[0].Title, r.enginesFromDefaults ? "Def" : "Cfg") << r.compat;
        EXPECT_EQ(host.Restored->Skin, r.layoutFromDefaults ? "DefSkin" : "CfgSkin") << r.compat;
        EXPECT_EQ(host.FromDefaults, r.layoutFromDefaults);
    }
}

TEST_F(SettingsTest, HandEditedValuesFallBackToDefaults) {
    Spit(Files.Config,
         "[main]\nSkinAll=yes\nGridLines=2\nartistssortdirection=0\nDatabaseName=\n"
         "[Search]\nSearchComboBox=7\nSearchCompareMode=0x2\nFileNameSearch=\n[Zip]\nLastZipMode=$3\n");
    AppSettings settings;
    WSEngineList engines;
    ReadSettings(Files, settings, engines, nullptr);
    EXPECT_FALSE(settings.Main.SkinAll);
    EXPECT_TRUE(settings.Main.GridLines);
    EXPECT_FALSE(settings.Main.ArtistsSortDirection);
    EXPECT_EQ(settings.Main.DatabaseName, "");
    EXPECT_EQ(settings.Search.SearchComboBox, 3);
    EXPECT_EQ(settings.Search.SearchCompareMode, 2);
    EXPECT_EQ(settings.Search.FileNameSearch, 0);
    EXPECT_EQ(settings.Zip.LastZipMode, 3);
}

TEST_F(SettingsTest, StartLanguageComesFromConfigElseDefaults) {
    struct {
        const char *config, *defaults, *expected;
    } rows[] = {
        {"[Lang]\nLanguage=ru\n", "[Lang]\nLanguage=de\n", "ru"},
        {"[Lang]\nLanguage=\n", "[Lang]\nLanguage=de\n", "de"},
        {"", "[lang]\nlanguage=pt_BR\n", "pt_BR"},
        {"", "", ""},
    };
    for (const auto& r : rows) {
        Spit(Files.Config, r.config);
        Spit(Files.Defaults, r.defaults);
        EXPECT_EQ(ReadStartLanguage(Files), r.expected) << r.config << "|" << r.defaults;
    }
}

TEST_F(SettingsTest, AFailedWriteStopsTheRest) {
    const SettingsFiles files{Dir.filePath("gone/config.ini").toStdString(), Files.Defaults};
    TRecordingHost host;
    EXPECT_THROW(WriteSettings(files, AppSettings(), {}, &host), EIniWriteError);
    EXPECT_EQ(host.Saves, 0);
}

TEST_F(SettingsTest, TheShippedDefaultsStartInEnglishWithThreeEngines) {
    const SettingsFiles files{Files.Config, QV_BUILD_DIR "/default.ini"};
    EXPECT_EQ(ReadStartLanguage(files), "en");
    AppSettings settings;
    WSEngineList engines;
    ReadSettings(files, settings, engines, nullptr);
    ASSERT_EQ(engines.size(), 3u);
    for (const WSItem& e : engines) {
        EXPECT_NE(e.Title, "<no title>");
        for (const std::string* url : {&e.TitleURL, &e.ArtistURL, &e.AlbumURL, &e.AllURL}) {
            EXPECT_EQ(url->rfind("https://", 0), 0u) << *url;
            EXPECT_NE(url->find("$SEARCHTERM"), std::string::npos) << *url;
        }
    }
}

TEST_F(SettingsTest, PerUserFoldersAreMadeWhenMissing) {
    const std::string base = Dir.filePath("home").toStdString();
    const char* const vars[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    std::string saved[2];
    for (int i = 0; i < 2; ++i) {
        saved[i] = std::getenv(vars[i]) ? std::getenv(vars[i]) : "";
        setenv(vars[i], (base + "/" + vars[i]).c_str(), 1);
    }
    EXPECT_EQ(SettingsFolder(), base + "/XDG_CONFIG_HOME/Quiravel");
    EXPECT_EQ(LocalDataFolder(), base + "/XDG_DATA_HOME/Quiravel");
    EXPECT_TRUE(std::filesystem::is_directory(base + "/XDG_CONFIG_HOME/Quiravel"));
    EXPECT_TRUE(std::filesystem::is_directory(base + "/XDG_DATA_HOME/Quiravel"));
    EXPECT_EQ(SettingsFiles::Standard().Config, base + "/XDG_CONFIG_HOME/Quiravel/config.ini");
    for (int i = 0; i < 2; ++i)
        saved[i].empty() ? unsetenv(vars[i]) : setenv(vars[i], saved[i].c_str(), 1);
}

TEST_F(SettingsTest, GridStoreReplacesItsLinesAndDropsStaleOnes) {
    Spit(Files.Config,
         "[GridOptions]\nColour=kept\nLine0='old 0'\nLine1='old 1'\nLine2='old 2'\nline3='old 3'\n"
         "Line01=x\n[SQLEditor]\nLine0='other'\n");
    const TGridPropertyStore store(Files.Config);
    EXPECT_EQ(store.Load(GridOptionsSection), (std::vector<std::string>{"old 0", "old 1", "old 2", "old 3"}));
    const std::vector<std::string> lines = {" <Columns> ", "'quoted'"};
    store.Save(GridOptionsSection, lines);
    EXPECT_EQ(store.Load(GridOptionsSection), lines);
    const TIniFile file(Files.Config);
    const TIniDocument& doc = file.Document();
    EXPECT_FALSE(doc.KeyExists(GridOptionsSection, "Line2"));
    EXPECT_FALSE(doc.KeyExists(GridOptionsSection, "Line3"));
    EXPECT_TRUE(doc.KeyExists(GridOptionsSection, "Colour"));
    EXPECT_NE(doc.Text().find("Line0=' <Columns> '\nLine1=''quoted''\n"), std::string::npos) << doc.Text();
    EXPECT_EQ(store.Load(SQLEditorSection), std::vector<std::string>{"other"});
    EXPECT_TRUE(store.Load(PrintPreviewSection).empty());

    Spit(Files.Config, "[PrintPreview]\nLine0='a'\nLine2='c'\n");
    EXPECT_EQ(store.Load(PrintPreviewSection), std::vector<std::string>{"a"});
}

} // namespace
