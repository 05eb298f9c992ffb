#include "app/MainForm.h"

#include "app/ListModel.h"
#include "browse/GridDelegates.h"
#include "browse/GridLayout.h"
#include "browse/QueryThreads.h"
#include "browse/SQLForm.h"
#include "browse/SongsGrid.h"
#include "settings/LayoutStore.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>

// The tablature list's presentation (layout, views, columns, sort markers, status texts) and the
// SQL window's query.

namespace {

// The commands that show or hide a column, with the column's field.
constexpr std::pair<const char*, const char*> ColumnCommands[] = {
    {"AColumnTitle", "title"},       {"AColumnArtist", "artist"},     {"AColumnAlbum", "album"},
    {"AColumnYear", "year"},         {"AColumnMusic", "music"},       {"AColumnWords", "words"},
    {"AColumnFilename", "filename"}, {"AColumnFileSize", "filesize"}, {"AColumnFileDate", "filedate"},
};

} // namespace

void TMainForm::ConnectSongsGrid() {
    GridStore = std::make_unique<TGridPropertyStore>(Files.Config);
    ArtistsGrid->setItemDelegate(new TSideListDelegate(
        TSideListDelegate::Artists, [this] { return Browse.AllArtists; }, ArtistsGrid));
    AlbumsGrid->setItemDelegate(new TSideListDelegate(
        TSideListDelegate::Albums, [this] { return Browse.AllAlbums; }, AlbumsGrid));

    connect(SongsGrid, &TSongsGridView::SortMarkersChanged, this, [this] {
        // An SQL result keeps the order its query gave it.
        if (!Browse.SQLMode)
            RequerySongs();
    });
    connect(SongsModel, &QAbstractItemModel::modelReset, this, [this] {
        // Like the side lists, the tablature list stands on its first row after each refill; the
        // move raises the data change, else it is raised here.
        if (SongsModel->rowCount() == 0)
            return UpdateSongsStatus(TSongsEvent::DataChanged);
        SongsGrid->selectionModel()->setCurrentIndex(
            SongsModel->index(0, SongsGrid->horizontalHeader()->logicalIndex(0)),
            QItemSelectionModel::NoUpdate);
    });
    connect(SongsGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { UpdateSongsStatus(TSongsEvent::DataChanged); });
    connect(SongsGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateSongsStatus(TSongsEvent::MarksChanged); });

    connect(Action("ASQLQuery"), &QAction::triggered, this, &TMainForm::ASQLQueryExecute);
    connect(Action("ASQLModeOFF"), &QAction::triggered, this, [this] {
        SetSQLMode(false);
        RequerySongs();
        UpdateInfoLabel();
    });
    // Each view command shows its own view, also when pressed while that view is shown.
    connect(Action("AGridShort"), &QAction::triggered, this, [this] { SetFullGridMode(false); });
    connect(Action("AGridFull"), &QAction::triggered, this, [this] { SetFullGridMode(true); });
    connect(Action("ASelectionMode"), &QAction::toggled, this, [this](bool on) {
        Settings.Main.SelectionMode = on;
        SongsGrid->SetSelectionMode(on);
    });
    for (const auto& [name, field] : ColumnCommands)
        connect(Action(name), &QAction::triggered, this, [this, field] {
            SongsGrid->ToggleColumn(field);
            ApplyColumnChecks();
        });
    connect(ColumnsPopupMenu, &QMenu::aboutToShow, this, &TMainForm::ApplyColumnChecks);
}

// Before the settings are read: the stored layout.
void TMainForm::ReadGridOptions() {
    SongsGrid->SetGridLayout(LoadGridOptions(*GridStore, &PrintLines));
}

// After the settings are read: the view and the selection mode they name.
void TMainForm::ApplyGridOptions() {
    SongsGrid->SaveVisibilityTable();
    SongsGrid->ApplyGridView(Settings.Main.FullGridMode, Settings.Main.GridLines);
    SongsGrid->SetSelectionMode(Settings.Main.SelectionMode);
    ApplyColumnChecks();
}

void TMainForm::WriteGridOptions() {
    SaveGridOptions(*GridStore, SongsGrid->LayoutForSaving(), PrintLines);
}

void TMainForm::SetSQLMode(bool on) {
    Browse.SQLMode = on;
    SongsGrid->SetSqlMode(on);
}

void TMainForm::SetFullGridMode(bool full) {
    Settings.Main.FullGridMode = full;
    Action("AGridShort")->setChecked(!full);
    Action("AGridFull")->setChecked(full);
    SongsGrid->ApplyGridView(full, Settings.Main.GridLines);
    ApplyColumnChecks();
}

void TMainForm::ApplyColumnChecks() {
    for (const auto& [name, field] : ColumnCommands)
        Action(name)->setChecked(SongsGrid->ColumnVisible(field));
}

void TMainForm::RepaintSideLists() {
    ArtistsGrid->viewport()->update();
    AlbumsGrid->viewport()->update();
}

void TMainForm::UpdateSongsStatus(TSongsEvent event, const QString& hint) {
    TSongsState state;
    state.CatalogueOpen = Browse.CatalogueOpen;
    state.Rows = SongsModel->ResultSet().get();
    state.ListOpen = state.Rows != nullptr;
    state.HasFocus = SongsGrid->hasFocus();
    state.WorkerBusy = SongsThread && !SongsThread->IsIdle();
    state.Marked = SongsGrid->MarkedRows().size();
    state.CurrentRow = SongsGrid->currentIndex().isValid() ? SongsGrid->currentIndex().row() : -1;
    state.DecimalPoint = QLocale::system().decimalPoint().front();
    if (const std::optional<QString> text = SongsStatusText(event, state, hint))
        SetStatusText(*text);
}

void TMainForm::ASQLQueryExecute() {
    if (!SQLForm)
        SQLForm = new TSQLForm(GridStore.get(), this);
    TSqlQuerySteps steps;
    steps.RunModal = [this](QDialog& dialog) { return RunModal(dialog); };
    steps.Run = [this] {
        SetSQLMode(true);
        Browse.FolderMode = false;
        RequerySongs();
    };
    steps.FallBack = [this] {
        SetSQLMode(false);
        RequerySongs();
    };
    steps.ShowError = [this](const QString& title, const QString& text) {
        // Plain text: the database's message may hold characters that rich text would eat.
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, this);
        box.setObjectName("SQLErrorBox");
        box.setTextFormat(Qt::PlainText);
        RunModal(box);
    };
    if (ExecuteSQLQuery(*SQLForm, this, steps) != TSqlQueryResult::Cancelled)
        UpdateInfoLabel();
}
