// Renders the scan notice and the Database Information window offscreen into PNG files:
// render_screenshots <folder> writes <folder>/scan-notice.png and <folder>/database-information.png.
#include "app/InfoForm.h"
#include "app/ScanDoneWnd.h"
#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStore.h"
#include "readers/TabRead.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool WriteSampleCatalogue(const std::string& path) {
    TCatalogueStore store;
    if (!store.CreateCatalogue(path) || !store.BeginTablatures())
        return false;
    const struct {
        const char* Extension;
        int Count, Size;
    } families[] = {{".gp5", 812, 41000}, {".gp4", 390, 23000}, {".gpx", 120, 96000},
                    {".ptb", 175, 18000}, {".tg", 24, 12000},   {".tef", 13, 9000}};
    TabInfo info{};
    for (const auto& family : families)
        for (int i = 0; i < family.Count; ++i) {
            ClearTabInfo(info);
            CopyToField(info.Title, sizeof info.Title, "Song " + std::to_string(i));
            CopyToField(info.FileName, sizeof info.FileName,
                        "/home/user/Tabs/" + std::to_string(i) + family.Extension);
            info.FileSize = family.Size + i * 37 % 5000;
            info.Encoding = teUtf8;
            store.AddTablature(info);
        }
    std::vector<TScanError> errors(3);
    errors[0] = {"/home/user/Tabs/broken.gp5", "Cannot read BYTE"};
    errors[1] = {"/home/user/Tabs/old.ptb", "Stream read error"};
    errors[2] = {"/home/user/Tabs/new.gpx", "Unsupported version"};
    return store.EndTablatures() && store.WriteErrors(errors) && store.WriteInfo(83400, 3) &&
           store.CloseCatalogue();
}

bool Save(QWidget& window, const QString& file) {
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(file);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_screenshots FOLDER\n");
        return 2;
    }
    const QDir folder(argv[1]);
    QTemporaryDir work;
    const std::string db = work.filePath("tabs.db3").toStdString();
    if (!WriteSampleCatalogue(db))
        return 1;

    TScanDoneWnd notice;
    notice.SetResult(1534, 3, 83400);
    TCatalogueConnection connection;
    connection.Open(db);
    TInfoForm info;
    info.Fill(connection, db);
    const bool saved = Save(notice, folder.filePath("scan-notice.png")) &&
                       Save(info, folder.filePath("database-information.png"));
    return saved ? 0 : 1;
}
