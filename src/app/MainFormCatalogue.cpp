#include "app/MainForm.h"

#include "app/CannotOpenDlg.h"
#include "app/ListModel.h"
#include "app/QtText.h"
#include "browse/QueryThreads.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>

#include <filesystem>

// Opening catalogues: the lists' connection, the Open Database command and the Cannot Open
// Database window.

namespace {

// The hourglass for as long as the object lives, also when an exception leaves the scope.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

bool FileMissing(const std::string& path) {
    std::error_code ec;
    return std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found;
}

} // namespace

void TMainForm::LoadCatalogue(const std::string& path, const QString& loadingText) {
    SetStatusText(loadingText.isEmpty() ? QTr("Loading database...") : loadingText);
    WaitForQueryThreads();
    TWaitCursor wait;
    Browse.CatalogueOpen = false;
    DeactivateLists();
    CloseConnections();
    if (FileMissing(path)) {
        SetStatusText(QTr("Database not loaded"));
        Settings.Main.DatabaseName.clear();
        throw EDatabaseError(Tr("File not found"));
    }
    Browse.AllArtists = true;
    Browse.AllAlbums = true;
    OpenConnections(path);
    Browse.CatalogueOpen = true;
    try {
        TPausedThreads paused(*this);
        // Refilled in place, the artists list refills the albums list and that one the tablature
        // list; the same tablature query is not run a second time.
        bool songsRefilled = false;
        {
            // The watch ends with its context object, on every path.
            QObject watch;
            connect(SongsModel, &QAbstractItemModel::modelReset, &watch, [&] { songsRefilled = true; });
            RequeryArtists();
        }
        if (!songsRefilled)
            RequerySongs();
    } catch (...) {
        Browse.CatalogueOpen = false;
        DeactivateLists();
        throw;
    }
    Settings.Main.DatabaseName = path;
    SetStatusText(TabCountText());
}

void TMainForm::DeactivateLists() {
    for (TQThreadManager* manager : Managers())
        if (manager)
            manager->NoteInPlaceRefill();
    for (TListModel* model : {SongsModel, AlbumsModel, ArtistsModel})
        model->SetResultSet(nullptr);
}

// Brings an older catalogue to the current version first.
void TMainForm::OpenConnections(const std::string& path) {
    try {
        Connection.Open(path);
        for (TCatalogueConnection& reader : WorkerConnections)
            reader.OpenReader(Connection);
    } catch (...) {
        CloseConnections();
        throw;
    }
}

void TMainForm::CloseConnections() {
    for (TCatalogueConnection& reader : WorkerConnections)
        reader.Close();
    Connection.Close();
}

// Failures other than the catalogue's own reach the application's unexpected-error report.
void TMainForm::OpenCatalogue(std::string path) {
    try {
        LoadCatalogue(path);
        return;
    } catch (const EDatabaseError& e) {
        Browse.CatalogueOpen = false;
        SetStatusText(QTr("Database not loaded"));
        TCannotOpenDlg dialog(this);
        dialog.SetError(QStr(path) + "\n" + QString::fromUtf8(e.what()));
        dialog.SetCanCreate(Action("ANewDB") != nullptr);
        switch (RunModal(dialog)) {
        case TCannotOpenDlg::OpenAnother:
            AOpenDBExecute();
            break;
        case TCannotOpenDlg::CreateNew:
            RunNewDatabase();
            break;
        default:
            break;
        }
    }
}

void TMainForm::AOpenDBExecute() {
    QString file;
    if (Hooks.ChooseCatalogue) {
        file = Hooks.ChooseCatalogue();
    } else {
        QFileDialog dialog(this, QTr("Open Database"));
        dialog.setObjectName("OpenDBDialog");
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QTr("Tablature Database (*.db3)"));
        dialog.setDefaultSuffix("db3");
        if (RunModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().constFirst();
    }
    if (!file.isEmpty())
        OpenCatalogue(file.toStdString());
}

void TMainForm::RunNewDatabase() {
    // The New Database command, when the program has one.
    if (QAction* newDB = Action("ANewDB"))
        newDB->trigger();
}
