#pragma once

#include "../catalogue/OldCatalogues.h"
#include "GuiTestSupport.h"
#include "app/MainForm.h"
#include "settings/IniFile.h"
#include "settings/Translate.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>

#include <memory>
#include <string>

// Serves the pending events, then lets the event loop come to the point where it would wait: the
// moment the window sets the commands' enabling.
inline void RunUntilIdle() {
    QCoreApplication::processEvents();
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     &QEventLoop::quit);
    loop.exec();
}

// A main window over config.ini and default.ini in a folder of its own, in English.
class TMainFormFixture : public testing::Test {
protected:
    static constexpr const char* Lang = "[Lang]\nLanguage=en\n";

    void SetUp() override { SetLocaleFolder(QV_BUILD_DIR "/locale"); }

    static std::string Config(const std::string& db) {
        return std::string(Lang) + "[Main]\nDatabaseName=" + db + "\n";
    }
    // Writes config.ini when given and shows the window; the event loop has come to rest on return.
    std::unique_ptr<TMainForm> Show(const std::string& config = "") {
        if (!config.empty())
            WriteFile(ConfigPath, config);
        auto form = std::make_unique<TMainForm>(SettingsFiles{ConfigPath, Dir / "default.ini"}, Hooks);
        form->show();
        RunUntilIdle();
        return form;
    }
    std::string SavedDatabaseName() const {
        return TIniFile(ConfigPath).Document().ReadString("Main", "DatabaseName", "?");
    }

    TTempDir Dir;
    std::string ConfigPath = Dir / "config.ini";
    TMainForm::THooks Hooks;
};
