#include "app/MainForm.h"

#include "app/FormText.h"
#include "app/ListModel.h"
#include "browse/SongsGrid.h"
#include "catalogue/DatabaseError.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

#include <algorithm>

// The commands on the tablature list's current row: open the file or its folder, show its artist,
// album or folder.

namespace {

// The folder of a stored file name: "/" for a file in the root folder, empty without a folder.
std::string DirectoryPart(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return {};
    return fileName.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

void TMainForm::ConnectTabCommands() {
    const std::pair<const char*, void (TMainForm::*)()> commands[] = {
        {"AOpenTab", &TMainForm::AOpenTabExecute},
        {"AOpenTabFolder", &TMainForm::AOpenTabFolderExecute},
        {"ASelectArtist", &TMainForm::ASelectArtistExecute},
        {"ASelectAlbum", &TMainForm::ASelectAlbumExecute},
        {"ASelectDir", &TMainForm::ASelectDirExecute},
    };
    for (const auto& [name, command] : commands)
        connect(Action(name), &QAction::triggered, this, [this, command] { RunReported(command); });
    // The headings of the full view are not rows; the short view has none.
    connect(SongsGrid, &QAbstractItemView::doubleClicked, Action("AOpenTab"), &QAction::trigger);
    ExecuteOnEnter(SongsGrid, Action("AOpenTab"));
}

void TMainForm::RunReported(void (TMainForm::*command)()) {
    try {
        (this->*command)();
    } catch (const std::exception& e) {
        ReportUnexpectedError(e);
    }
}

std::optional<std::string> TMainForm::CurrentTabField(const char* field) const {
    const TResultSet* rows = SongsModel->ResultSet().get();
    if (!rows)
        return std::nullopt;
    const int column = rows->FindColumn(field);
    if (column < 0)
        throw EDatabaseError(
            FillFormat(Tr("Field '%s' not found"), {QString::fromUtf8(field)}).toStdString());
    // A list with rows always stands on one, the first until the user moves.
    const int row = std::max(SongsGrid->currentIndex().row(), 0);
    if (static_cast<size_t>(row) >= rows->RowCount())
        return std::nullopt;
    return std::string(rows->Cell(static_cast<size_t>(row), column));
}

void TMainForm::OpenPath(const std::string& path) {
    if (path.empty())
        return;
    if (Hooks.OpenPath)
        Hooks.OpenPath(QStr(path));
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(QStr(path)));
}

void TMainForm::AOpenTabExecute() {
    if (const std::optional<std::string> file = CurrentTabField("filename"))
        OpenPath(*file);
}

void TMainForm::AOpenTabFolderExecute() {
    if (const std::optional<std::string> file = CurrentTabField("filename"))
        OpenPath(DirectoryPart(*file));
}

void TMainForm::ASelectArtistExecute() {
    const std::optional<std::string> artist = CurrentTabField("artist");
    if (!artist)
        return;
    Browse.AllArtists = false;
    Browse.AllAlbums = true;
    if (!Browse.SearchMode && !Browse.SQLMode) {
        // The artist's data change refills the albums and the tablatures.
        LocateRow(ArtistsGrid, *artist);
        return;
    }
    Browse.SearchMode = false;
    SetSQLMode(false);
    const TPausedThreads paused(*this);
    RequeryArtists();
    LocateRow(ArtistsGrid, *artist);
}

void TMainForm::ASelectAlbumExecute() {
    const std::optional<std::string> artist = CurrentTabField("artist");
    const std::optional<std::string> album = CurrentTabField("album");
    if (!artist || !album)
        return;
    Browse.AllArtists = false;
    Browse.AllAlbums = false;
    const bool leaveResults = Browse.SearchMode || Browse.SQLMode;
    Browse.SearchMode = false;
    SetSQLMode(false);
    const TPausedThreads paused(*this);
    if (leaveResults)
        RequeryArtists();
    LocateRow(ArtistsGrid, *artist);
    // The artist's data change has chosen all albums.
    Browse.AllAlbums = false;
    LocateRow(AlbumsGrid, *album);
}

void TMainForm::ASelectDirExecute() {
    const std::optional<std::string> file = CurrentTabField("filename");
    if (!file)
        return;
    Browse.FolderPath = DirectoryPart(*file);
    SetSQLMode(false);
    Browse.FolderMode = true;
    RequerySongs();
    UpdateInfoLabel();
}
