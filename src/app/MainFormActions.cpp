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

// Commands of other windows (export, archive, print, web search, settings, help) are
// added with those windows.
const TCommand Commands[] = {
    {"AUpdateDB", QT_TR_NOOP("&Update"), QT_TR_NOOP("Update|Update database"), "Ctrl+U", Always,
     "view-refresh", false},
    {"ANewDB", QT_TR_NOOP("&New Database"), QT_TR_NOOP("New Database|Create new database"), "Ctrl+N", Always,
     "document-new", false},
    {"AOpenDB", QT_TR_NOOP("&Open Database..."), QT_TR_NOOP("Open Database|Open another database"), "Ctrl+O",
     Always, "document-open", false},
    {"ADBProps", QT_TR_NOOP("&Properties"), QT_TR_NOOP("Properties|Show database properties"), "", Catalogue,
     "document-properties", false},
    {"AExit", QT_TR_NOOP("&Exit"), QT_TR_NOOP("Exit|Exit Quiravel"), "", Always, "system-log-out", false},
    {"AFind", QT_TR_NOOP("&Find"), QT_TR_NOOP("Find|Start search"), "", Catalogue, "edit-find", false},
    {"ASQLQuery", QT_TR_NOOP("&SQL Query..."), QT_TR_NOOP("SQL Query|Execute SQL query"), "", Catalogue,
     "text-x-script", false},
    {"ARealTimeSearch", QT_TR_NOOP("Search while typing"),
     QT_TR_NOOP("Search while typing|Show search results while typing"), "", Always, nullptr, true},
    {"AOpenTab", QT_TR_NOOP("Open"), QT_TR_NOOP("Open|Open selected tablature"), "", GridRows, nullptr,
     false},
    {"AOpenTabFolder", QT_TR_NOOP("Open Folder"), QT_TR_NOOP("Open Folder|Open tablature folder"), "",
     GridRows, "folder", false},
    {"ASelectArtist", QT_TR_NOOP("Select Artist"), QT_TR_NOOP("Select Artist|Show this artists's tablatures"),
     "", GridRows, nullptr, false},
    {"ASelectAlbum", QT_TR_NOOP("Select Album"),
     QT_TR_NOOP("Select Album|Show all tablatures from this album"), "", GridRows, nullptr, false},
    {"ASelectDir", QT_TR_NOOP("All tabs from this folder"),
     QT_TR_NOOP("All tabs in this folder|Show all tabs in this folder"), "", GridRows, nullptr, false},
    {"AViewArtists", QT_TR_NOOP("Artists"), QT_TR_NOOP("Artists|Show/hide artists panel"), "", Always,
     nullptr, true},
    {"AViewAlbums", QT_TR_NOOP("Albums"), QT_TR_NOOP("Albums|Show/hide albums panel"), "", Always, nullptr,
     true},
    {"AViewSearchPanel", QT_TR_NOOP("Search Bar"), QT_TR_NOOP("Search Bar|Show/hide search bar"), "", Always,
     nullptr, true},
    {"AViewToolbar", QT_TR_NOOP("Toolbar"), QT_TR_NOOP("Toolbar|Show/hide toolbar"), "", Always, nullptr,
     true},
    {"AViewMenuBar", QT_TR_NOOP("Menu Bar"), QT_TR_NOOP("Menu Bar|Show/hide menu bar"), "", Always, nullptr,
     true},
    {"AViewStatusBar", QT_TR_NOOP("Status Bar"), QT_TR_NOOP("Status Bar|Show/hide status bar"), "", Always,
     nullptr, true},
    {"AGridShort", QT_TR_NOOP("Short View"), QT_TR_NOOP("List View|Switch to list view"), "", Always,
     "text-x-generic", true},
    {"AGridFull", QT_TR_NOOP("Full View"), QT_TR_NOOP("Table View|Switch to table view"), "", Always,
     "x-office-spreadsheet", true},
    {"ASelectionMode", QT_TR_NOOP("Selection Mode"), QT_TR_NOOP("Selection Mode|Selection mode"), "", Always,
     "edit-select-all", true},
    {"AColumnTitle", QT_TR_NOOP("Title"), QT_TR_NOOP("Title|Toggle Title column"), "", Owner, nullptr, true},
    {"AColumnArtist", QT_TR_NOOP("Artist"), QT_TR_NOOP("Artist|Toggle Artist column"), "", Owner, nullptr,
     true},
    {"AColumnAlbum", QT_TR_NOOP("Album"), QT_TR_NOOP("Album|Toggle Album column"), "", Owner, nullptr, true},
    {"AColumnYear", QT_TR_NOOP("Year"), QT_TR_NOOP("Year|Toggle Year column"), "", Owner, nullptr, true},
    {"AColumnMusic", QT_TR_NOOP("Music"), QT_TR_NOOP("Music|Toggle Music column"), "", Owner, nullptr, true},
    {"AColumnWords", QT_TR_NOOP("Words"), QT_TR_NOOP("Words|Toggle Words column"), "", Owner, nullptr, true},
    {"AColumnFilename", QT_TR_NOOP("File Name"), QT_TR_NOOP("File Name|Toggle File Name column"), "", Owner,
     nullptr, true},
    {"AColumnFileSize", QT_TR_NOOP("File Size"), QT_TR_NOOP("File Size|Toggle File Size column"), "", Owner,
     nullptr, true},
    {"AColumnFileDate", QT_TR_NOOP("File Date"), QT_TR_NOOP("File Date|Toggle File Date column"), "", Owner,
     nullptr, true},
    {"AHelpAbout", QT_TR_NOOP("&About..."), QT_TR_NOOP("About|About Quiravel..."), "", Always, nullptr,
     false},
    {"AFolderModeOFF", QT_TR_NOOP("Folder contents (click to switch off)"), "", "", Always, "folder", false},
    {"ASearchModeOFF", QT_TR_NOOP("Search results (click to switch off)"), "", "", Always, "system-search",
     false},
    {"ASQLModeOFF", QT_TR_NOOP("SQL query results (click to switch off)"), "", "", Always, "text-x-script",
     false},
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
    const auto gridRows = static_cast<size_t>(SongsModel->rowCount());
    for (const TCommand& command : Commands) {
        QAction* action = Action(command.Name);
        switch (command.Enabling) {
        case Catalogue:
            action->setEnabled(Browse.CatalogueOpen);
            break;
        case GridRows:
            // A list not yet filled keeps the state it had.
            if (const std::optional<bool> on = SongsCommandsEnabled(Browse.CatalogueOpen, gridOpen, gridRows))
                action->setEnabled(*on);
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
    ConnectUpdateActions();
    ConnectSearch();
    ConnectTabCommands();
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
