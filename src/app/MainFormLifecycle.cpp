#include "app/MainForm.h"

#include "app/ExceptionDlg.h"
#include "app/ListModel.h"
#include "app/QtText.h"
#include "app/SideListNavigation.h"
#include "browse/QueryThreads.h"
#include "browse/SongsGrid.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableView>

#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace {

// Version tag of the bars' and panels' saved state; a different one is not restored.
constexpr int LayoutStateVersion = 1;
constexpr const char* LayoutStateKey = "State";

} // namespace

// The images are linked in with the library and need registering from outside any namespace.
static void InitResources() {
    Q_INIT_RESOURCE(icons);
}

TMainForm::TMainForm(SettingsFiles files, THooks hooks) : Files(std::move(files)), Hooks(std::move(hooks)) {
    InitResources();
    FormCreate();
}

void TMainForm::FormCreate() {
    setObjectName("MainForm");
    // The language comes before any text is put into the window.
    UseLanguage(ReadStartLanguage(Files));
    CreateActions();
    CreateMenus();
    CreateToolbars();
    CreateSongsArea();
    CreatePanels();
    CreatePopupMenus();
    ConnectActions();
    ConnectLists();
    ConnectSongsGrid();
    Navigation = new TSideListNavigation(*this);
    // Tab and the bars' visibility are seen before anyone else handles them.
    qApp->installEventFilter(this);
    // Enabling follows the state each time the application has nothing else to do.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TMainForm::UpdateActions);
    TranslateForm();
    SongsInfoLabel->setText(QTr("All Tablatures"));
    SetStatusText(QTr("Ready"));
    resize(675, 552);
    UpdateActions();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    // Its filters would otherwise see the lists' last events while they are taken apart.
    delete Navigation;
    Navigation = nullptr;
    FormDestroy();
    // The lists outlive this part of the window; nothing they signal from here on reaches it.
    for (const QTableView* grid : {ArtistsGrid, AlbumsGrid, static_cast<QTableView*>(SongsGrid)}) {
        grid->model()->disconnect(this);
        grid->selectionModel()->disconnect(this);
    }
}

void TMainForm::FormDestroy() {
    // The workers use the lists and the connection, which go with the window.
    FreeQueryManagers();
    // Settings never read are defaults; writing them would replace the user's own.
    if (!FirstShowDone)
        return;
    Settings.Main.SelectionMode = Action("ASelectionMode")->isChecked();
    Settings.Search.SearchComboBox = SearchComboBox->currentIndex();
    try {
        WriteGridOptions();
        WriteSettings(Files, Settings, Engines, this);
    } catch (const std::exception& e) {
        ReportUnexpectedError(e);
    }
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FirstShowDone || event->spontaneous())
        return;
    FirstShowDone = true;
    FormShow();
}

void TMainForm::FormShow() {
    FillSearchComboBox();
    ReadGridOptions();
    ReadSettings(Files, Settings, Engines, this);
    ApplyGridOptions();
    Action("ASelectionMode")->setChecked(Settings.Main.SelectionMode);
    SearchComboBox->setCurrentIndex(Settings.Search.SearchComboBox);
    SetLargeIcons(Settings.Main.LargeIcons);
    ApplyViewChecks();
    Action("AGridShort")->setChecked(!Settings.Main.FullGridMode);
    Action("AGridFull")->setChecked(Settings.Main.FullGridMode);
    ApplySortButtons();
    for (QMenu* menu : {DatabaseMenu, SearchMenu, TablaturesMenu, ViewMenu, HelpMenu})
        menu->menuAction()->setVisible(!menu->isEmpty());
    CreateQueryManagers();
    // Opening may wait for the user; the window is on screen first.
    QMetaObject::invokeMethod(this, &TMainForm::StartCatalogue, Qt::QueuedConnection);
}

void TMainForm::StartCatalogue() {
    if (Settings.Main.DatabaseName.empty()) {
        SetStatusText(QTr("Database not loaded"));
        RunNewDatabase();
        return;
    }
    OpenCatalogue(Settings.Main.DatabaseName);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMainForm::FormClose() {
    SetStatusText(QTr("Shutting down..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FreeQueryManagers();
    QApplication::restoreOverrideCursor();
    if (FirstShowDone)
        WriteGridOptions();
}

void TMainForm::CreateQueryManagers() {
    const auto reader = [this](size_t list) {
        return [this, list](const std::string& sql) { return RunQuery(WorkerConnections[list], sql); };
    };
    ArtistsThread = std::make_unique<TQThreadManager>(*ArtistsModel, reader(0), &Browse.FirstArtist);
    AlbumsThread = std::make_unique<TQThreadManager>(*AlbumsModel, reader(1), &Browse.FirstAlbum);
    SongsThread = std::make_unique<TQThreadManager>(*SongsModel, reader(2));
    for (TQThreadManager* manager : Managers())
        manager->SetInPlaceRunner([this](const std::string& sql) { return RunQuery(Connection, sql); });
}

void TMainForm::FreeQueryManagers() {
    if (!ArtistsThread)
        return;
    const std::array<TQThreadManager*, 3> managers = Managers();
    StopAll(managers);
    SongsThread.reset();
    AlbumsThread.reset();
    ArtistsThread.reset();
    if (Hooks.WorkersStopped)
        Hooks.WorkersStopped();
}

std::array<TQThreadManager*, 3> TMainForm::Managers() const {
    return {ArtistsThread.get(), AlbumsThread.get(), SongsThread.get()};
}

void TMainForm::RestoreLayout(const ToolbarLayout& layout, bool fromDefaults) {
    LoadedLayout = layout;
    if (!layout.Bounds.empty())
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(layout.Bounds)));
    for (const auto& [key, value] : layout.LastLayout)
        if (key == LayoutStateKey)
            restoreState(QByteArray::fromBase64(QByteArray::fromStdString(value)), LayoutStateVersion);
    if (!fromDefaults)
        return;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

ToolbarLayout TMainForm::SaveLayout() {
    // Items, skin and named layouts belong to the customisation and the skins; kept as read.
    ToolbarLayout layout = LoadedLayout;
    layout.Bounds = saveGeometry().toBase64().toStdString();
    layout.LastLayout = {{LayoutStateKey, saveState(LayoutStateVersion).toBase64().toStdString()}};
    return layout;
}

int TMainForm::RunModal(QDialog& dialog) {
    return Hooks.RunModal ? Hooks.RunModal(dialog) : dialog.exec();
}

// For failures outside any event, where the application object cannot catch them.
void TMainForm::ReportUnexpectedError(const std::exception& failure) {
    TExceptionDlg report(this);
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> type(
        abi::__cxa_demangle(typeid(failure).name(), nullptr, nullptr, &status), &std::free);
    report.SetReport(ExceptionReport(failure.what(), type ? type.get() : typeid(failure).name(),
                                     metaObject()->className()));
    RunModal(report);
}
