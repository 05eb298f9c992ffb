#include "app/SideListNavigation.h"

#include "app/ListModel.h"
#include "app/MainForm.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

#include <algorithm>

TSideListNavigation::TSideListNavigation(TMainForm& form)
    : QObject(&form), Form(form),
      Browse(form.Browse), Sides{{{form.ArtistsGrid, form.ArtistsModel, form.ArtistsScrollBar,
                                   &TBrowseState::AllArtists, &TBrowseState::FirstArtist},
                                  {form.AlbumsGrid, form.AlbumsModel, form.AlbumsScrollBar,
                                   &TBrowseState::AllAlbums, &TBrowseState::FirstAlbum}}} {
    for (const TSide& side : Sides) {
        side.Grid->installEventFilter(this);
        side.Grid->viewport()->installEventFilter(this);
        side.Grid->horizontalHeader()->viewport()->installEventFilter(this);
        ConnectBar(side);
    }
}

void TSideListNavigation::ColorHeadings() {
    for (const TSide& side : Sides) {
        const QPalette& palette = side.Grid->palette();
        if (!All(side)) {
            side.Model->SetHeadingColors(Qt::white, palette.color(QPalette::Active, QPalette::WindowText));
            continue;
        }
        // The unfocused list shows its chosen heading in the workspace grey its rows use.
        const QPalette::ColorRole background = side.Grid->hasFocus() ? QPalette::Highlight : QPalette::Mid;
        side.Model->SetHeadingColors(palette.color(QPalette::Active, background),
                                     palette.color(QPalette::Active, QPalette::HighlightedText));
    }
}

bool TSideListNavigation::eventFilter(QObject* watched, QEvent* event) {
    for (const TSide& side : Sides) {
        if (watched == side.Grid)
            return ListEvent(side, event);
        if (watched == side.Grid->viewport())
            return ViewportEvent(side, false, watched, event);
        if (watched == side.Grid->horizontalHeader()->viewport())
            return ViewportEvent(side, true, watched, event);
    }
    return false;
}

bool& TSideListNavigation::All(const TSide& side) const {
    return Browse.*side.All;
}

bool TSideListNavigation::AtFirstRow(const TSide& side) const {
    return side.Grid->currentIndex().data().toString().toStdString() == Browse.*side.First;
}

// Artists: every artist and every album; albums: every album of the artist.
void TSideListNavigation::ChooseHeading(const TSide& side) {
    All(side) = true;
    if (IsArtists(side))
        Browse.AllAlbums = true;
    RequeryFollowing(side);
    Form.UpdateInfoLabel();
}

void TSideListNavigation::LeaveHeading(const TSide& side) {
    All(side) = false;
    RequeryFollowing(side);
    Form.UpdateInfoLabel();
}

// The first row's data change refills the lists that follow.
void TSideListNavigation::LeaveHeadingToFirstRow(const TSide& side) {
    All(side) = false;
    Form.MoveToFirstRow(side.Grid);
    Form.UpdateInfoLabel();
}

void TSideListNavigation::RequeryFollowing(const TSide& side) {
    if (IsArtists(side))
        Form.RequeryAlbums();
    else
        Form.RequerySongs();
}

bool TSideListNavigation::ListEvent(const TSide& side, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        ColorHeadings();
        return false;
    case QEvent::KeyPress:
        return Browse.CatalogueOpen && KeyPressed(side, static_cast<QKeyEvent*>(event)->key());
    default:
        return false;
    }
}

bool TSideListNavigation::ViewportEvent(const TSide& side, bool heading, QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && !heading)
        SyncBar(side);
    if (!Browse.CatalogueOpen)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        PressedOn = watched;
        Pressed(side, heading);
        return false;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool click = PressedOn == watched && mouse->button() == Qt::LeftButton &&
                           static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
        PressedOn = nullptr;
        if (click)
            Clicked();
        return false;
    }
    case QEvent::MouseButtonDblClick:
        DoubleClicked(side, heading, static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    case QEvent::Wheel:
        return WheelTurned(side, static_cast<QWheelEvent*>(event)->angleDelta().y());
    default:
        return false;
    }
}

void TSideListNavigation::Pressed(const TSide& side, bool heading) {
    if (heading) {
        if (!All(side))
            ChooseHeading(side);
        return;
    }
    if (All(side))
        return LeaveHeading(side);
    if (!Browse.SearchMode && !Browse.SQLMode)
        return;
    if (!Browse.SearchMode)
        Form.SetSQLMode(false);
    Form.RequerySongs();
    Form.UpdateInfoLabel();
}

void TSideListNavigation::Clicked() {
    if (!Browse.FolderMode && !Browse.SQLMode)
        return;
    Browse.FolderMode = false;
    Form.SetSQLMode(false);
    Form.RequerySongs();
    Form.UpdateInfoLabel();
}

// From search results back to browsing, on the heading or on the double-clicked value.
void TSideListNavigation::DoubleClicked(const TSide& side, bool heading, const QPoint& at) {
    if (!Browse.SearchMode)
        return;
    if (heading) {
        All(side) = true;
        Browse.SearchMode = false;
        Form.RequeryArtists();
        return;
    }
    const QModelIndex index = side.Grid->indexAt(at);
    if (!index.isValid())
        return;
    const std::string value = index.siblingAtColumn(0).data().toString().toStdString();
    Browse.SearchMode = false;
    (IsArtists(side) ? Browse.AllAlbums : Browse.AllArtists) = true;
    const TPausedThreads paused(Form);
    Form.RequeryArtists();
    // The artists' refill has chosen the albums heading; the double-clicked album stays chosen.
    if (!IsArtists(side))
        Browse.AllAlbums = false;
    Form.LocateRow(side.Grid, value);
}

bool TSideListNavigation::KeyPressed(const TSide& side, int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        if (AtFirstRow(side))
            ChooseHeading(side);
        return false;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        if (!All(side))
            return false;
        LeaveHeadingToFirstRow(side);
        return true;
    // Focus moves and modifiers on their way to a shortcut leave the choice alone.
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
        return false;
    default:
        if (All(side))
            LeaveHeading(side);
        return false;
    }
}

bool TSideListNavigation::WheelTurned(const TSide& side, int delta) {
    if (delta > 0 && AtFirstRow(side)) {
        if (IsArtists(side))
            Browse.FolderMode = false;
        ChooseHeading(side);
        return false;
    }
    if (delta < 0 && All(side)) {
        LeaveHeadingToFirstRow(side);
        return true;
    }
    return false;
}

void TSideListNavigation::ConnectBar(const TSide& side) {
    connect(side.Model, &QAbstractItemModel::modelReset, this, [this, &side] { SyncBar(side); });
    connect(side.Grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, &side] { SyncBar(side); });
    connect(side.Bar, &QAbstractSlider::actionTriggered, this,
            [this, &side](int action) { BarAction(side, action); });
    connect(side.Bar, &QAbstractSlider::valueChanged, this,
            [this, &side](int value) { BarMoved(side, value); });
}

// Runs before the bar takes its new position, which then moves the current row.
void TSideListNavigation::BarAction(const TSide& side, int action) {
    if (!Browse.CatalogueOpen)
        return;
    bool leave = false;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        // The albums list keeps its own choice.
        if (AtFirstRow(side)) {
            All(side) = true;
            RequeryFollowing(side);
            Form.UpdateInfoLabel();
        }
        return;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        leave = All(side);
        break;
    case QAbstractSlider::SliderMove:
        leave = All(side) && side.Bar->sliderPosition() > 0;
        break;
    default:
        return;
    }
    if (!leave)
        return;
    All(side) = false;
    // A row that cannot move raises no data change of its own, yet the lists that follow must narrow.
    if (side.Bar->sliderPosition() == side.Bar->value())
        Form.RaiseDataChange(side.Grid);
}

void TSideListNavigation::BarMoved(const TSide& side, int value) {
    const QModelIndex target = side.Model->index(value, 0);
    if (target.isValid() && target.row() != side.Grid->currentIndex().row())
        side.Grid->setCurrentIndex(target);
}

// The bar's range is the rows, its page the rows the list shows, its position the current row.
void TSideListNavigation::SyncBar(const TSide& side) {
    const QSignalBlocker blocker(side.Bar);
    const int rowHeight = std::max(1, side.Grid->verticalHeader()->defaultSectionSize());
    side.Bar->setRange(0, std::max(0, side.Model->rowCount() - 1));
    side.Bar->setPageStep(std::max(1, side.Grid->viewport()->height() / rowHeight));
    side.Bar->setValue(std::max(0, side.Grid->currentIndex().row()));
}
