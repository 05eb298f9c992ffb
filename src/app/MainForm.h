#pragma once

#include "browse/QueryComposer.h"
#include "browse/SongsStatus.h"
#include "catalogue/CatalogueConnection.h"
#include "settings/Settings.h"

#include <QMainWindow>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QDialog;
class QDockWidget;
class QIcon;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QTableView;
class QToolBar;
class QToolButton;
class TListModel;
class TNewDBForm;
class TQThreadManager;
class TGridPropertyStore;
class TSQLForm;
class TSongsGridView;
class TScanDoneWnd;
class TScanForm;
class TSideListNavigation;
class TUpdateForm;
struct TScanRequest;

// When a command of the main window is enabled, decided each time the application is idle.
enum class TEnabling {
    Always,
    Catalogue, // a catalogue is open
    GridRows,  // a catalogue is open and the tablature list has rows
    Owner,     // set by the code that owns the command
};

// One command of the main window. Texts are English source texts, translated when shown; a hint
// is "tooltip|status text".
struct TCommand {
    const char* Name;
    const char* Caption;
    const char* Hint;
    const char* Shortcut;
    TEnabling Enabling;
    const char* Icon; // base name of an image in both icon sets, or null
    bool Checkable;
};

std::span<const TCommand> MainFormCommands();

// An image of the program's resources in both sizes, so that a bar shows the set of its icon size.
QIcon AppIcon(const char* name);

// The state of the three lists: which catalogue is open and what the lists show.
struct TBrowseState {
    bool CatalogueOpen = false;
    bool AllArtists = false;
    bool AllAlbums = false;
    bool SearchMode = false;
    bool SQLMode = false;
    bool FolderMode = false;
    bool ThreadsPaused = false;
    std::string FolderPath;
    std::string FirstArtist;
    std::string FirstAlbum;
};

class TMainForm;

// Refills in place while it lives (PauseThreads, then ResumeThreads), so that the rows are there
// when the caller goes on, for example to locate a row.
class TPausedThreads {
public:
    explicit TPausedThreads(TMainForm& form);
    ~TPausedThreads();
    TPausedThreads(const TPausedThreads&) = delete;
    TPausedThreads& operator=(const TPausedThreads&) = delete;

private:
    TMainForm& Form;
};

// The main window: the three linked lists of the open catalogue, the bars and panels around
// them, and the commands. Settings are read when the window is first shown and written when it is
// destroyed. Main thread only.
class TMainForm : public QMainWindow, public TLayoutHost {
    Q_OBJECT

public:
    // Ways for tests to answer the windows that would wait for the user.
    struct THooks {
        // Runs a modal dialog and returns its result; QDialog::exec when empty.
        std::function<int(QDialog&)> RunModal;
        // The catalogue the user chose to open, empty when cancelled; a file dialog when empty.
        std::function<QString()> ChooseCatalogue;
        // Told after the query workers were stopped at shutdown.
        std::function<void()> WorkersStopped;
        // Hands a file or folder to the system's default handler; QDesktopServices when empty.
        std::function<void(const QString&)> OpenPath;
    };

    explicit TMainForm(SettingsFiles files, THooks hooks = {});
    ~TMainForm() override;

    QAction* Action(const char* name) const;
    // Sets every command's enabled state from its rule.
    void UpdateActions();

    // Opens the catalogue at path, or throws EDatabaseError; the window has then no catalogue.
    // loadingText: the status text while it loads, "Loading database..." when empty.
    void LoadCatalogue(const std::string& path, const QString& loadingText = {});
    // LoadCatalogue, offering the Cannot Open Database window when it fails.
    void OpenCatalogue(std::string path);

    void RequeryArtists();
    void RequeryAlbums();
    void RequerySongs();
    void PauseThreads();
    void ResumeThreads();
    void WaitForQueryThreads();
    void UpdateInfoLabel();

    // Gives the main and search toolbars the large or the small image set.
    void SetLargeIcons(bool large);
    QString StatusText() const;
    void SetStatusText(const QString& text);
    // The count text of the tablature list: "%d tablatures" for its rows.
    QString TabCountText() const;

    // The layer that keeps bars, panels and the window's place between runs.
    void RestoreLayout(const ToolbarLayout& layout, bool fromDefaults) override;
    ToolbarLayout SaveLayout() override;

    AppSettings Settings;
    WSEngineList Engines;
    TBrowseState Browse;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    // Make-up.
    void CreateActions();
    void CreateMenus();
    void CreateToolbars();
    void CreateSearchToolbar();
    void CreatePanels();
    QDockWidget* CreateSidePanel(const char* name, QTableView*& grid, TListModel*& model,
                                 QToolButton*& sortButton, QScrollBar*& scrollBar);
    void CreateSongsArea();
    void CreatePopupMenus();
    void TranslateForm();
    void FillSearchComboBox();
    QMenu* NewMenu(QWidget* parent, const char* name);

    // Life.
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void StartCatalogue();
    void CreateQueryManagers();
    void FreeQueryManagers();
    void ApplyViewChecks();
    void ApplySortButtons();

    // Commands.
    void ConnectActions();
    void AOpenDBExecute();
    void AExitExecute();
    void AViewStatusBarExecute();
    void ToggleVisible(QWidget* widget);
    void RunNewDatabase();
    int RunModal(QDialog& dialog);
    // Update and New Database.
    void ConnectUpdateActions();
    void AUpdateDBExecute();
    void ANewDBExecute();
    void ADBPropsExecute();
    void AHelpAboutExecute();
    void ScanIntoCatalogue(const TScanRequest& request, const QString& loadingText);
    void ShowScanErrors();
    void ReportUnexpectedError(const std::exception& failure);

    // Lists.
    void ConnectLists();
    BrowseInput ComposerInput() const;
    void Refill(int list, const std::string& sql);
    void ArtistsDataChanged();
    void AlbumsDataChanged();
    // Side-list cursor moves that always raise the list's data change, also when the cursor stays.
    void MoveToFirstRow(QTableView* grid);
    // The first row whose value equals value exactly (case-sensitive, whole value); false if none.
    bool LocateRow(QTableView* grid, const std::string& value);
    void RaiseDataChange(QTableView* grid);
    void DeactivateLists();
    // Connection and the workers' readers; the workers must be idle.
    void OpenConnections(const std::string& path);
    void CloseConnections();
    std::array<TQThreadManager*, 3> Managers() const;

    // The tablature list's presentation and the SQL window.
    void ConnectSongsGrid();
    void ReadGridOptions();
    void ApplyGridOptions();
    void WriteGridOptions();
    void SetSQLMode(bool on);
    void SetFullGridMode(bool full);
    void ApplyColumnChecks();
    void RepaintSideLists();
    void UpdateSongsStatus(TSongsEvent event, const QString& hint = {});
    void ASQLQueryExecute();

    // Search, the mode-off buttons and the sort-direction buttons.
    void ConnectSearch();
    void AFindExecute();
    void SearchTextChanged(const QString& text);
    void SearchModeOff();
    void FlipSortDirection(bool& ascending, void (TMainForm::*requery)());
    // Enter (Return or the keypad's) in the widget triggers the command.
    void ExecuteOnEnter(QWidget* widget, QAction* command);
    // The commands on the current tablature.
    void ConnectTabCommands();
    // Runs a command; a failure reaches the unexpected-error report.
    void RunReported(void (TMainForm::*command)());
    // The field of the tablature list's current row; none when the list has no row. Throws
    // EDatabaseError when the list has no such column.
    std::optional<std::string> CurrentTabField(const char* field) const;
    void OpenPath(const std::string& path);
    void AOpenTabExecute();
    void AOpenTabFolderExecute();
    void ASelectArtistExecute();
    void ASelectAlbumExecute();
    void ASelectDirExecute();

    // Window behaviour.
    bool HandleTabKey();
    void ShowHint(const QString& statusTip);

    SettingsFiles Files;
    THooks Hooks;
    TCatalogueConnection Connection;
    // Artists, albums, tablatures: one reader per query worker, open while Connection is, so that
    // neither the main thread nor another worker waits for a worker's query.
    std::array<TCatalogueConnection, 3> WorkerConnections;
    ToolbarLayout LoadedLayout;
    bool FirstShowDone = false;

    QToolBar* MainToolbar = nullptr;
    QToolBar* SearchToolbar = nullptr;
    QToolBar* GridToolbar = nullptr;
    QLineEdit* SearchEditBox = nullptr;
    QComboBox* SearchComboBox = nullptr;
    QLabel* FindLabel = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* SongsInfoLabel = nullptr;
    QDockWidget* ArtistsPanel = nullptr;
    QDockWidget* AlbumsPanel = nullptr;
    QTableView* ArtistsGrid = nullptr;
    QTableView* AlbumsGrid = nullptr;
    TSongsGridView* SongsGrid = nullptr;
    QToolButton* ArtistsSortButton = nullptr;
    QToolButton* AlbumsSortButton = nullptr;
    TListModel* ArtistsModel = nullptr;
    TListModel* AlbumsModel = nullptr;
    TListModel* SongsModel = nullptr;
    QMenu* DatabaseMenu = nullptr;
    QMenu* SearchMenu = nullptr;
    QMenu* TablaturesMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QMenu* TabPopupMenu = nullptr;
    QMenu* ColumnsPopupMenu = nullptr;
    // Made at the first use and kept: the New Database window keeps its folders and ticks.
    TUpdateForm* UpdateForm = nullptr;
    TNewDBForm* NewDBForm = nullptr;
    TScanForm* ScanForm = nullptr;
    TScanDoneWnd* ScanDoneWnd = nullptr;

    // Artists, albums, tablatures: the query workers, from the first showing until shutdown.
    std::unique_ptr<TQThreadManager> ArtistsThread;
    std::unique_ptr<TQThreadManager> AlbumsThread;
    std::unique_ptr<TQThreadManager> SongsThread;

    // The settings file's sections of window parts; the printing options that share the list's.
    std::unique_ptr<TGridPropertyStore> GridStore;
    std::vector<std::string> PrintLines;
    // Created at the first SQL query and kept, so its text stays for the run.
    TSQLForm* SQLForm = nullptr;

    // Side-list navigation: the program's reactions to presses, clicks, keys, wheel turns and the
    // separate scroll bars of the artists and albums lists (SideListNavigation.cpp).
    friend class TSideListNavigation;
    QScrollBar* ArtistsScrollBar = nullptr;
    QScrollBar* AlbumsScrollBar = nullptr;
    TSideListNavigation* Navigation = nullptr;
};
