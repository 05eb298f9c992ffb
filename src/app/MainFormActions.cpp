#include "app/MainForm.h"

#include "app/ListModel.h"
#include "app/QtText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

using enum TEnabling;

// Commands of other windows (update, export, archive, print, web search, settings, help) are
// added with those windows.
const TCommand Commands[] = {
    {"AOpenDB", "&Open Database...", "Open Database|Open another database", "Ctrl+O", Always, "document-open",
     false},
    {"AExit", "&Exit", "Exit|Exit Quiravel", "", Always, "system-log-out", false},
    {"AFind", "&Find", "Find|Start search", "", Catalogue, "edit-find", false},
    {"ARealTimeSearch", "Search while typing", "Search while typing|Show search results while typing", "",
     Always, nullptr, true},
    {"AOpenTab", "Open", "Open|Open selected tablature", "", GridRows, nullptr, false},
    {"AOpenTabFolder", "Open Folder", "Open Folder|Open tablature folder", "", GridRows, "folder", false},
    {"ASelectArtist", "Select Artist", "Select Artist|Show this artists's tablatures", "", GridRows, nullptr,
     false},
    {"ASelectAlbum", "Select Album", "Select Album|Show all tablatures from this album", "", GridRows,
     nullptr, false},
    {"ASelectDir", "All tabs from this folder", "All tabs in this folder|Show all tabs in this folder", "",
     GridRows, nullptr, false},
    {"AViewArtists", "Artists", "Artists|Show/hide artists panel", "", Always, nullptr, true},
    {"AViewAlbums", "Albums", "Albums|Show/hide albums panel", "", Always, nullptr, true},
    {"AViewSearchPanel", "Search Bar", "Search Bar|Show/hide search bar", "", Always, nullptr, true},
    {"AViewToolbar", "Toolbar", "Toolbar|Show/hide toolbar", "", Always, nullptr, true},
    {"AViewMenuBar", "Menu Bar", "Menu Bar|Show/hide menu bar", "", Always, nullptr, true},
    {"AViewStatusBar", "Status Bar", "Status Bar|Show/hide status bar", "", Always, nullptr, true},
    {"AGridShort", "Short View", "List View|Switch to list view", "", Always, "text-x-generic", true},
    {"AGridFull", "Full View", "Table View|Switch to table view", "", Always, "x-office-spreadsheet", true},
    {"ASelectionMode", "Selection Mode", "Selection Mode|Selection mode", "", Always, "edit-select-all",
     true},
    {"AColumnTitle", "Title", "Title|Toggle Title column", "", Owner, nullptr, true},
    {"AColumnArtist", "Artist", "Artist|Toggle Artist column", "", Owner, nullptr, true},
    {"AColumnAlbum", "Album", "Album|Toggle Album column", "", Owner, nullptr, true},
    {"AColumnYear", "Year", "Year|Toggle Year column", "", Owner, nullptr, true},
    {"AColumnMusic", "Music", "Music|Toggle Music column", "", Owner, nullptr, true},
    {"AColumnWords", "Words", "Words|Toggle Words column", "", Owner, nullptr, true},
    {"AColumnFilename", "File Name", "File Name|Toggle File Name column", "", Owner, nullptr, true},
    {"AColumnFileSize", "File Size", "File Size|Toggle File Size column", "", Owner, nullptr, true},
    {"AColumnFileDate", "File Date", "File Date|Toggle File Date column", "", Owner, nullptr, true},
    {"AFolderModeOFF", "Folder contents (click to switch off)", "", "", Always, "folder", false},
    {"ASearchModeOFF", "Search results (click to switch off)", "", "", Always, "system-search", false},
    {"ASQLModeOFF", "SQL query results (click to switch off)", "", "", Always, "text-x-script", false},
};

} // namespace

std::span<const TCommand> MainFormCommands() {
    return Commands;
}

QIcon AppIcon(const char* name) {
    QIcon icon;
    for (const char* size : {"16", "32"})
        icon.addFile(QStringLiteral(":/icons/%1/%2.png").arg(size, name));
    return icon;
}

QAction* TMainForm::Action(const char* name) const {
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void TMainForm::CreateActions() {
    for (const TCommand& command : Commands) {
        auto* action = new QAction(this);
        action->setObjectName(command.Name);
        action->setShortcut(QKeySequence(command.Shortcut));
        action->setCheckable(command.Checkable);
        if (command.Icon)
            action->setIcon(AppIcon(command.Icon));
        // Shortcuts keep working while the bars that show the command are hidden.
        addAction(action);
    }
    QFont bold = Action("AOpenTab")->font();
    bold.setBold(true);
    Action("AOpenTab")->setFont(bold);
    for (const char* name : {"AFolderModeOFF", "ASearchModeOFF", "ASQLModeOFF"})
        Action(name)->setVisible(false);
}

void TMainForm::TranslateForm() {
    for (const TCommand& command : Commands) {
        QAction* action = Action(command.Name);
        action->setText(QTr(command.Caption));
        const THintParts hint = SplitHint(*command.Hint ? QTr(command.Hint) : QString());
        action->setToolTip(hint.ToolTip);
        action->setStatusTip(hint.StatusTip);
    }
    setWindowTitle(QTr("Quiravel"));
    MainToolbar->setWindowTitle(QTr("Toolbar"));
    SearchToolbar->setWindowTitle(QTr("Search Bar"));
    GridToolbar->setWindowTitle(QTr("Grid Toolbar"));
    menuBar()->setWindowTitle(QTr("Menu"));
    FindLabel->setText(QTr("Find:"));
    ArtistsPanel->setWindowTitle(QTr("Artists"));
    AlbumsPanel->setWindowTitle(QTr("Albums"));
    ArtistsModel->SetHeading(QTr("All artists"));
    AlbumsModel->SetHeading(QTr("All albums"));
    for (QToolButton* button : {ArtistsSortButton, AlbumsSortButton}) {
        button->setText(QTr("Sort Direction"));
        const THintParts hint = SplitHint(QTr("Sort Direction|Change Sort Direction"));
        button->setToolTip(hint.ToolTip);
        button->setStatusTip(hint.StatusTip);
    }
    if (auto* clear = SearchEditBox->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction"))) {
        const THintParts hint = SplitHint(QTr("Clear|Clear search field"));
        clear->setToolTip(hint.ToolTip);
        clear->setStatusTip(hint.StatusTip);
    }
    DatabaseMenu->setTitle(QTr("&Database"));
    SearchMenu->setTitle(QTr("&Search"));
    TablaturesMenu->setTitle(QTr("&Tablatures"));
    ViewMenu->setTitle(QTr("&View"));
    HelpMenu->setTitle(QTr("&Help"));
    FillSearchComboBox();
}

void TMainForm::UpdateActions() {
    const bool gridOpen = SongsModel->ResultSet() != nullptr;
    const bool gridRows = SongsModel->rowCount() > 0;
    for (const TCommand& command : Commands) {
        QAction* action = Action(command.Name);
        switch (command.Enabling) {
        case Catalogue:
            action->setEnabled(Browse.CatalogueOpen);
            break;
        case GridRows:
            // A list not yet filled keeps the state it had.
            if (!Browse.CatalogueOpen)
                action->setEnabled(false);
            else if (gridOpen)
                action->setEnabled(gridRows);
            break;
        case Always:
        case Owner:
            break;
        }
    }
}

void TMainForm::ConnectActions() {
    connect(Action("AOpenDB"), &QAction::triggered, this, &TMainForm::AOpenDBExecute);
    connect(Action("AExit"), &QAction::triggered, this, &TMainForm::AExitExecute);
    connect(Action("ARealTimeSearch"), &QAction::toggled, this,
            [this](bool on) { Settings.Search.RealTimeSearch = on; });
    const std::pair<const char*, QWidget*> views[] = {
        {"AViewArtists", ArtistsPanel}, {"AViewAlbums", AlbumsPanel}, {"AViewSearchPanel", SearchToolbar},
        {"AViewToolbar", MainToolbar},  {"AViewMenuBar", menuBar()},
    };
    for (const auto& [name, widget] : views) {
        QAction* action = Action(name);
        connect(action, &QAction::triggered, this, [this, widget] { ToggleVisible(widget); });
        // Read by the window's event filter, which keeps the check mark in step.
        widget->setProperty("viewAction", QVariant::fromValue(static_cast<QObject*>(action)));
    }
    connect(Action("AViewStatusBar"), &QAction::triggered, this, &TMainForm::AViewStatusBarExecute);
}

void TMainForm::ToggleVisible(QWidget* widget) {
    widget->setVisible(widget->isHidden());
}

void TMainForm::AViewStatusBarExecute() {
    statusBar()->setVisible(statusBar()->isHidden());
    Action("AViewStatusBar")->setChecked(!statusBar()->isHidden());
}

void TMainForm::ApplyViewChecks() {
    Action("AViewArtists")->setChecked(!ArtistsPanel->isHidden());
    Action("AViewAlbums")->setChecked(!AlbumsPanel->isHidden());
    Action("AViewToolbar")->setChecked(!MainToolbar->isHidden());
    Action("AViewMenuBar")->setChecked(!menuBar()->isHidden());
    Action("AViewStatusBar")->setChecked(!statusBar()->isHidden());
    Action("AViewSearchPanel")->setChecked(!SearchToolbar->isHidden());
    Action("ARealTimeSearch")->setChecked(Settings.Search.RealTimeSearch);
}

void TMainForm::AExitExecute() {
    // Ends the event loop at once, without the close event; the workers stop here already, and
    // the window's destruction writes the settings.
    FreeQueryManagers();
    QCoreApplication::exit(0);
}
