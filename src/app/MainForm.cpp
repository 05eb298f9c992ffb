#include "app/MainForm.h"

#include "app/ListModel.h"
#include "app/QtText.h"
#include "browse/SongsGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

// The window's make-up: bars, panels, lists and menus. Texts are set by TranslateForm.

namespace {

constexpr int SmallIconSize = 16;
constexpr int LargeIconSize = 32;

QToolBar* NewToolbar(QMainWindow* window, const char* name) {
    auto* bar = new QToolBar(window);
    bar->setObjectName(name);
    bar->setIconSize(QSize(SmallIconSize, SmallIconSize));
    return bar;
}

void SetUpList(QTableView* grid, const char* name) {
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setHighlightSections(false);
}

} // namespace

QMenu* TMainForm::NewMenu(QWidget* parent, const char* name) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    return menu;
}

void TMainForm::CreateMenus() {
    menuBar()->setObjectName("MenuBar");
    DatabaseMenu = NewMenu(menuBar(), "DatabaseMenu");
    DatabaseMenu->addAction(Action("AUpdateDB"));
    DatabaseMenu->addSeparator();
    DatabaseMenu->addAction(Action("ANewDB"));
    DatabaseMenu->addAction(Action("AOpenDB"));
    DatabaseMenu->addSeparator();
    DatabaseMenu->addAction(Action("ADBProps"));
    DatabaseMenu->addAction(Action("AExit"));
    SearchMenu = NewMenu(menuBar(), "SearchMenu");
    SearchMenu->addAction(Action("AFind"));
    SearchMenu->addAction(Action("ASQLQuery"));
    SearchMenu->addSeparator();
    SearchMenu->addAction(Action("ARealTimeSearch"));
    TablaturesMenu = NewMenu(menuBar(), "TablaturesMenu");
    ViewMenu = NewMenu(menuBar(), "ViewMenu");
    for (const char* name : {"AViewArtists", "AViewAlbums", "AViewSearchPanel", "AViewToolbar",
                             "AViewMenuBar", "AViewStatusBar"})
        ViewMenu->addAction(Action(name));
    HelpMenu = NewMenu(menuBar(), "HelpMenu");
    HelpMenu->addAction(Action("AHelpAbout"));
    for (QMenu* menu : {DatabaseMenu, SearchMenu, TablaturesMenu, ViewMenu, HelpMenu})
        menuBar()->addMenu(menu);
}

void TMainForm::CreateToolbars() {
    MainToolbar = NewToolbar(this, "MainToolbar");
    MainToolbar->addAction(Action("AUpdateDB"));
    addToolBar(Qt::TopToolBarArea, MainToolbar);
    CreateSearchToolbar();

    StatusLabel = new QLabel(statusBar());
    StatusLabel->setObjectName("StatusText");
    statusBar()->setObjectName("StatusBar");
    statusBar()->addWidget(StatusLabel, 1);
}

void TMainForm::CreateSearchToolbar() {
    SearchToolbar = NewToolbar(this, "SearchToolbar");
    SearchToolbar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    FindLabel = new QLabel(SearchToolbar);
    FindLabel->setContentsMargins(4, 0, 4, 0);
    SearchToolbar->addWidget(FindLabel);
    SearchEditBox = new QLineEdit(SearchToolbar);
    SearchEditBox->setObjectName("SearchEditBox");
    SearchEditBox->setFixedWidth(180);
    // The clear button shows only while there is text.
    SearchEditBox->setClearButtonEnabled(true);
    if (auto* clear = SearchEditBox->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction")))
        clear->setIcon(AppIcon("edit-clear"));
    SearchToolbar->addWidget(SearchEditBox);
    SearchComboBox = new QComboBox(SearchToolbar);
    SearchComboBox->setObjectName("SearchComboBox");
    SearchComboBox->setFixedWidth(96);
    SearchToolbar->addWidget(SearchComboBox);
    SearchToolbar->addAction(Action("AFind"));
    if (auto* find = qobject_cast<QToolButton*>(SearchToolbar->widgetForAction(Action("AFind"))))
        find->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addToolBar(Qt::TopToolBarArea, SearchToolbar);
}

void TMainForm::FillSearchComboBox() {
    const int index = SearchComboBox->currentIndex();
    SearchComboBox->clear();
    for (const char* field :
         {QT_TR_NOOP("Title"), QT_TR_NOOP("Artist"), QT_TR_NOOP("Album"), QT_TR_NOOP("All")})
        SearchComboBox->addItem(QTr(field));
    SearchComboBox->setCurrentIndex(index < 0 ? 3 : index);
}

QDockWidget* TMainForm::CreateSidePanel(const char* name, QTableView*& grid, TListModel*& model,
                                        QToolButton*& sortButton, QScrollBar*& scrollBar) {
    auto* panel = new QDockWidget(this);
    panel->setObjectName(name);
    auto* body = new QWidget(panel);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    sortButton = new QToolButton(body);
    sortButton->setAutoRaise(true);
    layout->addWidget(sortButton, 0, Qt::AlignLeft);
    grid = new QTableView(body);
    model = new TListModel(grid);
    grid->setModel(model);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setShowGrid(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    // The list moves by the separate bar beside it, which stands for its current row.
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBar = new QScrollBar(Qt::Vertical, body);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(grid);
    row->addWidget(scrollBar);
    layout->addLayout(row);
    panel->setWidget(body);
    return panel;
}

void TMainForm::CreatePanels() {
    // The side panel docks run the full height; the top and bottom ones sit between them.
    setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    ArtistsPanel =
        CreateSidePanel("ArtistsPanel", ArtistsGrid, ArtistsModel, ArtistsSortButton, ArtistsScrollBar);
    SetUpList(ArtistsGrid, "ArtistsGrid");
    ArtistsScrollBar->setObjectName("ArtistsScrollBar");
    addDockWidget(Qt::LeftDockWidgetArea, ArtistsPanel);
    AlbumsPanel = CreateSidePanel("AlbumsPanel", AlbumsGrid, AlbumsModel, AlbumsSortButton, AlbumsScrollBar);
    SetUpList(AlbumsGrid, "AlbumsGrid");
    AlbumsScrollBar->setObjectName("AlbumsScrollBar");
    addDockWidget(Qt::TopDockWidgetArea, AlbumsPanel);
    resizeDocks({ArtistsPanel}, {180}, Qt::Horizontal);
    resizeDocks({AlbumsPanel}, {150}, Qt::Vertical);
}

void TMainForm::CreateSongsArea() {
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    GridToolbar = new QToolBar(area);
    GridToolbar->setObjectName("GridToolbar");
    GridToolbar->setIconSize(QSize(SmallIconSize, SmallIconSize));
    GridToolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const char* name : {"AFolderModeOFF", "ASearchModeOFF", "ASQLModeOFF"})
        GridToolbar->addAction(Action(name));
    SongsInfoLabel = new QLabel(GridToolbar);
    SongsInfoLabel->setObjectName("SongsInfoLabel");
    QFont bold = SongsInfoLabel->font();
    bold.setBold(true);
    SongsInfoLabel->setFont(bold);
    SongsInfoLabel->setContentsMargins(4, 0, 4, 0);
    GridToolbar->addWidget(SongsInfoLabel);
    auto* gap = new QWidget(GridToolbar);
    gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    GridToolbar->addWidget(gap);
    GridToolbar->addAction(Action("AGridShort"));
    GridToolbar->addAction(Action("AGridFull"));
    layout->addWidget(GridToolbar);

    SongsGrid = new TSongsGridView(area);
    SongsModel = new TListModel(SongsGrid);
    SongsGrid->setModel(SongsModel);
    SetUpList(SongsGrid, "SongsGrid");
    SongsGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(SongsGrid);
    setCentralWidget(area);
}

void TMainForm::CreatePopupMenus() {
    TabPopupMenu = NewMenu(this, "TabPopupMenu");
    TabPopupMenu->addActions({Action("AOpenTab"), Action("AOpenTabFolder")});
    TabPopupMenu->addSeparator();
    TabPopupMenu->addActions({Action("ASelectArtist"), Action("ASelectAlbum"), Action("ASelectDir")});
    ColumnsPopupMenu = NewMenu(this, "ColumnsPopupMenu");
    for (const char* name : {"AColumnTitle", "AColumnArtist", "AColumnAlbum", "AColumnYear", "AColumnMusic",
                             "AColumnWords", "AColumnFilename", "AColumnFileSize", "AColumnFileDate"})
        ColumnsPopupMenu->addAction(Action(name));

    // Full view: the heading row opens the column menu, any row the tablature menu.
    SongsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SongsGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (SongsGrid->indexAt(at).isValid())
            TabPopupMenu->popup(SongsGrid->viewport()->mapToGlobal(at));
    });
    SongsGrid->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SongsGrid->horizontalHeader(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                ColumnsPopupMenu->popup(SongsGrid->horizontalHeader()->mapToGlobal(at));
            });
}

// The view menu that every bar and panel dock offers.
QMenu* TMainForm::createPopupMenu() {
    auto* menu = new QMenu(this);
    for (const char* name : {"AViewArtists", "AViewAlbums", "AViewSearchPanel", "AViewToolbar",
                             "AViewMenuBar", "AViewStatusBar"})
        menu->addAction(Action(name));
    return menu;
}

void TMainForm::SetLargeIcons(bool large) {
    Settings.Main.LargeIcons = large;
    const int size = large ? LargeIconSize : SmallIconSize;
    for (QToolBar* bar : {MainToolbar, SearchToolbar})
        bar->setIconSize(QSize(size, size));
}

void TMainForm::ApplySortButtons() {
    ArtistsSortButton->setIcon(AppIcon(Settings.Main.ArtistsSortDirection ? "go-up" : "go-down"));
    AlbumsSortButton->setIcon(AppIcon(Settings.Main.AlbumsSortDirection ? "go-up" : "go-down"));
}

QString TMainForm::StatusText() const {
    return StatusLabel->text();
}

void TMainForm::SetStatusText(const QString& text) {
    StatusLabel->setText(text);
}
