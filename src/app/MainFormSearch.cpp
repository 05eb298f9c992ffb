#include "app/MainForm.h"

#include "app/BalloonHint.h"
#include "app/QtText.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

// Search, the buttons that switch the search and folder modes off, and the side lists' sort
// direction buttons.

namespace {

constexpr int EmptySearchHintMsec = 2000;

} // namespace

void TMainForm::ConnectSearch() {
    connect(Action("AFind"), &QAction::triggered, this, &TMainForm::AFindExecute);
    connect(SearchEditBox, &QLineEdit::textChanged, this, &TMainForm::SearchTextChanged);
    // Enter runs Find through the command, which does nothing while it is disabled.
    connect(SearchEditBox, &QLineEdit::returnPressed, Action("AFind"), &QAction::trigger);
    ExecuteOnEnter(SearchComboBox, Action("AFind"));
    // The user's choice only: the window's own changes of the field start no search.
    connect(SearchComboBox, &QComboBox::activated, this, [this] {
        if (Browse.SearchMode && Settings.Search.RealTimeSearch)
            Action("AFind")->trigger();
    });
    connect(Action("ASearchModeOFF"), &QAction::triggered, this, &TMainForm::SearchModeOff);
    connect(Action("AFolderModeOFF"), &QAction::triggered, this, [this] {
        Browse.FolderMode = false;
        RequerySongs();
        UpdateInfoLabel();
    });
    connect(ArtistsSortButton, &QToolButton::clicked, this,
            [this] { FlipSortDirection(Settings.Main.ArtistsSortDirection, &TMainForm::RequeryArtists); });
    connect(AlbumsSortButton, &QToolButton::clicked, this,
            [this] { FlipSortDirection(Settings.Main.AlbumsSortDirection, &TMainForm::RequeryAlbums); });
}

void TMainForm::AFindExecute() {
    if (SearchEditBox->text().isEmpty()) {
        TBalloonHint::ShowAt(SearchEditBox, {}, QTr("Write something here"), TBalloonIcon::None,
                             EmptySearchHintMsec);
        SearchEditBox->setFocus();
        return;
    }
    Browse.SearchMode = true;
    SetSQLMode(false);
    Browse.FolderMode = false;
    Browse.AllArtists = true;
    Browse.AllAlbums = true;
    // The info line follows as the refills reach the other lists.
    RequeryArtists();
}

void TMainForm::SearchTextChanged(const QString& text) {
    if (!text.isEmpty()) {
        if (Settings.Search.RealTimeSearch)
            Action("AFind")->trigger();
        return;
    }
    if (Browse.SearchMode)
        SearchModeOff();
}

void TMainForm::SearchModeOff() {
    Browse.SearchMode = false;
    RequeryArtists();
    UpdateInfoLabel();
}

void TMainForm::FlipSortDirection(bool& ascending, void (TMainForm::*requery)()) {
    ascending = !ascending;
    ApplySortButtons();
    (this->*requery)();
}

void TMainForm::ExecuteOnEnter(QWidget* widget, QAction* command) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        new QShortcut(QKeySequence(key), widget, command, &QAction::trigger, Qt::WidgetShortcut);
}
