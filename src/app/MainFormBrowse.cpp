#include "app/MainForm.h"

#include "app/ListModel.h"
#include "app/QtText.h"
#include "app/SideListNavigation.h"
#include "browse/QueryThreads.h"
#include "browse/SQLForm.h"
#include "browse/SongsGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

// Refilling the three lists and the chain that links them.

namespace {

enum TList { ArtistsList = 0, AlbumsList = 1, SongsList = 2 };

// The first column of the list's current row; empty for NULL or without a current row.
std::string CurrentValue(const QTableView* grid) {
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return {};
    return grid->model()->index(current.row(), 0).data().toString().toStdString();
}

} // namespace

// A list's data change (new rows, or another current row) refills the list it leads.
void TMainForm::ConnectLists() {
    connect(ArtistsModel, &QAbstractItemModel::modelReset, this, [this] {
        if (ArtistsModel->rowCount() > 0)
            ArtistsGrid->setCurrentIndex(ArtistsModel->index(0, 0));
        else
            ArtistsDataChanged();
    });
    connect(ArtistsGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TMainForm::ArtistsDataChanged);
    connect(AlbumsModel, &QAbstractItemModel::modelReset, this, [this] {
        if (AlbumsModel->rowCount() > 0)
            AlbumsGrid->setCurrentIndex(AlbumsModel->index(0, 0));
        else
            AlbumsDataChanged();
    });
    connect(AlbumsGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TMainForm::AlbumsDataChanged);
}

BrowseInput TMainForm::ComposerInput() const {
    BrowseInput in;
    in.ArtistsSortDirection = Settings.Main.ArtistsSortDirection;
    in.AlbumsSortDirection = Settings.Main.AlbumsSortDirection;
    in.SortColumns = SongsGrid->SortColumns();
    in.AllArtists = Browse.AllArtists;
    in.AllAlbums = Browse.AllAlbums;
    in.Artist = CurrentValue(ArtistsGrid);
    in.Album = CurrentValue(AlbumsGrid);
    in.SearchText = SearchEditBox->text().toStdString();
    in.SearchField = SearchComboBox->currentIndex();
    in.SearchCompareMode = Settings.Search.SearchCompareMode;
    in.FileNameSearch = Settings.Search.FileNameSearch;
    in.FolderPath = Browse.FolderPath;
    return in;
}

void TMainForm::Refill(int list, const std::string& sql) {
    TQThreadManager* manager = Managers()[static_cast<size_t>(list)];
    if (manager && Settings.Search.UseThreads && !manager->IsStopping()) {
        manager->Post(sql);
        return;
    }
    if (manager) {
        manager->RefillInPlace(sql);
        return;
    }
    // Before the workers exist, and after they are gone.
    TListModel* const models[] = {ArtistsModel, AlbumsModel, SongsModel};
    std::shared_ptr<const TResultSet> rows = RunQuery(Connection, sql);
    std::string* const firsts[] = {&Browse.FirstArtist, &Browse.FirstAlbum, nullptr};
    if (firsts[list])
        *firsts[list] = rows->FirstValue().value_or("");
    models[list]->SetResultSet(std::move(rows));
}

void TMainForm::RequeryArtists() {
    if (!Browse.CatalogueOpen)
        return;
    const BrowseInput in = ComposerInput();
    Refill(ArtistsList, Browse.SearchMode ? ArtistsSearchSQL(in) : ArtistsBrowseSQL(in));
}

void TMainForm::RequeryAlbums() {
    if (!Browse.CatalogueOpen)
        return;
    const BrowseInput in = ComposerInput();
    Refill(AlbumsList, Browse.SearchMode ? AlbumsSearchSQL(in) : AlbumsBrowseSQL(in));
}

void TMainForm::RequerySongs() {
    if (!Browse.CatalogueOpen)
        return;
    // The user's query runs again as typed, in place so that its errors reach the caller.
    if (Browse.SQLMode && SQLForm) {
        const std::string sql = SQLForm->QueryText();
        if (SongsThread)
            SongsThread->RefillInPlace(sql);
        else
            SongsModel->SetResultSet(RunQuery(Connection, sql));
        return;
    }
    const BrowseInput in = ComposerInput();
    if (Browse.FolderMode)
        return Refill(SongsList, FolderSQL(in));
    Refill(SongsList, Browse.SearchMode ? SongsSearchSQL(in) : SongsBrowseSQL(in));
}

void TMainForm::PauseThreads() {
    if (!Settings.Search.UseThreads)
        return;
    Settings.Search.UseThreads = false;
    Browse.ThreadsPaused = true;
}

void TMainForm::ResumeThreads() {
    if (!Browse.ThreadsPaused)
        return;
    Settings.Search.UseThreads = true;
    Browse.ThreadsPaused = false;
}

TPausedThreads::TPausedThreads(TMainForm& form) : Form(form) {
    Form.PauseThreads();
}

TPausedThreads::~TPausedThreads() {
    Form.ResumeThreads();
}

void TMainForm::WaitForQueryThreads() {
    if (!ArtistsThread)
        return;
    const std::array<TQThreadManager*, 3> managers = Managers();
    WaitUntilIdle(managers);
}

void TMainForm::ArtistsDataChanged() {
    SetSQLMode(false);
    Browse.FolderMode = false;
    Browse.AllAlbums = true;
    RequeryAlbums();
    UpdateInfoLabel();
}

void TMainForm::AlbumsDataChanged() {
    SetSQLMode(false);
    Browse.FolderMode = false;
    RequerySongs();
    UpdateInfoLabel();
}

void TMainForm::RaiseDataChange(QTableView* grid) {
    if (grid == ArtistsGrid)
        ArtistsDataChanged();
    else if (grid == AlbumsGrid)
        AlbumsDataChanged();
}

void TMainForm::MoveToFirstRow(QTableView* grid) {
    const QModelIndex first = grid->model()->index(0, 0);
    if (!first.isValid() || grid->currentIndex().row() == 0)
        return RaiseDataChange(grid);
    grid->setCurrentIndex(first);
}

bool TMainForm::LocateRow(QTableView* grid, const std::string& value) {
    const TListModel* model = grid == ArtistsGrid ? ArtistsModel : AlbumsModel;
    const TResultSet* rows = model->ResultSet().get();
    if (!rows || rows->ColumnCount() == 0)
        return false;
    for (size_t row = 0; row < rows->RowCount(); ++row) {
        if (rows->Cell(row, 0) != value)
            continue;
        const int target = static_cast<int>(row);
        if (grid->currentIndex().row() == target)
            RaiseDataChange(grid);
        else
            grid->setCurrentIndex(model->index(target, 0));
        return true;
    }
    return false;
}

QString TMainForm::TabCountText() const {
    const int rows = SongsModel->rowCount();
    return QStr(TrN("%d tablature", "%d tablatures", rows)).replace("%d", QString::number(rows));
}

void TMainForm::UpdateInfoLabel() {
    // The side lists draw their current row by the flags that may have changed with the label.
    RepaintSideLists();
    QAction* modeOff[] = {Action("AFolderModeOFF"), Action("ASQLModeOFF"), Action("ASearchModeOFF")};
    if (!Browse.CatalogueOpen) {
        AlbumsPanel->setWindowTitle(QTr("Albums"));
        SongsInfoLabel->clear();
        return;
    }
    QString artist = QString::fromStdString(CurrentValue(ArtistsGrid));
    QString album = QString::fromStdString(CurrentValue(AlbumsGrid));
    if (artist.isEmpty())
        artist = QTr("unknown artist");
    if (album.isEmpty())
        album = QTr("unknown album");
    AlbumsPanel->setWindowTitle(Browse.AllArtists ? QTr("Albums") : QTr("Albums") + " (" + artist + ")");
    QString info;
    if (Browse.FolderMode)
        info = QStr(Browse.FolderPath);
    else if (Browse.SQLMode)
        info = QTr("SQL Query Results");
    else if (Browse.SearchMode)
        info = QTr("Search Results") + " (" + SearchEditBox->text() + ")";
    else if (Browse.AllArtists)
        info = Browse.AllAlbums ? QString() : album;
    else
        info = Browse.AllAlbums ? artist : artist + " > " + album;
    SongsInfoLabel->setText(info);
    const bool modes[] = {Browse.FolderMode, Browse.SQLMode, Browse.SearchMode};
    bool shown = false;
    for (size_t i = 0; i < std::size(modes); ++i) {
        modeOff[i]->setVisible(modes[i] && !shown);
        shown = shown || modes[i];
    }
    if (Navigation)
        Navigation->ColorHeadings();
}
