#include "browse/SongsGrid.h"

#include "browse/GridDelegates.h"
#include "settings/Translate.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <numeric>

namespace {

constexpr int ArrowWidth = 8;
constexpr int ArrowHeight = 5;
constexpr int Padding = 4;

} // namespace

TSortHeaderView::TSortHeaderView(TSongsGridView* grid) : QHeaderView(Qt::Horizontal, grid), Grid(grid) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionClicked, this,
            [this](int logicalIndex) { emit HeadingClicked(logicalIndex, ReleaseModifiers); });
}

QString TSortHeaderView::HeadingText(int logicalIndex) const {
    const QString field = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    const char* heading = FieldHeading(field.toStdString());
    return heading ? QString::fromStdString(Tr(heading)) : field;
}

int TSortHeaderView::MarkerWidth(const TMarkerLook& look) const {
    if (look.Marker == TSortMarker::None)
        return 0;
    const int number = look.Number ? fontMetrics().horizontalAdvance(QString::number(look.Number)) + 2 : 0;
    return ArrowWidth + Padding + number;
}

void TSortHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    initStyleOptionForIndex(&opt, logicalIndex);
    opt.rect = rect;
    opt.text.clear();
    opt.sortIndicator = QStyleOptionHeader::None;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
    const TMarkerLook look = MarkerLook(Grid->GridLayout(), Grid->PositionOf(logicalIndex));
    QStyleOptionHeader label = opt;
    label.rect = rect.adjusted(Padding, 0, -Padding - MarkerWidth(look), 0);
    label.text = fontMetrics().elidedText(HeadingText(logicalIndex), Qt::ElideRight, label.rect.width());
    label.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    DrawMarker(painter, rect, look);
    painter->restore();
}

// An arrow pointing up for ascending and down for descending, with the sort index to its left
// while several columns are sorted.
void TSortHeaderView::DrawMarker(QPainter* painter, const QRect& rect, const TMarkerLook& look) const {
    if (look.Marker == TSortMarker::None)
        return;
    const QColor colour = palette().color(QPalette::ButtonText);
    const int right = rect.right() - Padding;
    const int top = rect.center().y() - ArrowHeight / 2;
    QPainterPath arrow;
    if (look.Marker == TSortMarker::Ascending) {
        arrow.moveTo(right - ArrowWidth, top + ArrowHeight);
        arrow.lineTo(right, top + ArrowHeight);
        arrow.lineTo(right - ArrowWidth / 2.0, top);
    } else {
        arrow.moveTo(right - ArrowWidth, top);
        arrow.lineTo(right, top);
        arrow.lineTo(right - ArrowWidth / 2.0, top + ArrowHeight);
    }
    arrow.closeSubpath();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(arrow, colour);
    if (look.Number) {
        painter->setPen(colour);
        const QRect numberRect(rect.left(), rect.top(), right - ArrowWidth - 2 - rect.left(), rect.height());
        painter->drawText(numberRect, Qt::AlignRight | Qt::AlignVCenter, QString::number(look.Number));
    }
}

void TSortHeaderView::mouseReleaseEvent(QMouseEvent* event) {
    ReleaseModifiers = event->modifiers();
    QHeaderView::mouseReleaseEvent(event);
}

bool TSortHeaderView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !model())
        return QHeaderView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int logicalIndex = logicalIndexAt(help->pos());
    const QString field = model()->headerData(logicalIndex, Qt::Horizontal).toString();
    if (logicalIndex >= 0 && HeadingHasToolTip(field.toStdString()))
        QToolTip::showText(help->globalPos(), HeadingText(logicalIndex), viewport());
    else
        QToolTip::hideText();
    return true;
}

TSongsGridView::TSongsGridView(QWidget* parent)
    : QTableView(parent), Layout(DefaultGridLayout()), SavedVisibility(SaveVisibility(Layout)),
      Header(new TSortHeaderView(this)), Delegate(new TSongsCellDelegate(this)) {
    setObjectName("SongsGrid");
    setHorizontalHeader(Header);
    setItemDelegate(Delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    connect(Header, &QHeaderView::sectionResized, this,
            [this](int logicalIndex, int, int newSize) { SectionResized(logicalIndex, newSize); });
    connect(Header, &QHeaderView::sectionMoved, this, [this] { SectionMoved(); });
    connect(Header, &TSortHeaderView::HeadingClicked, this, &TSongsGridView::HeadingClicked);
    ApplyColors();
}

void TSongsGridView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    ApplyLayout();
}

// The headings have reset their sections by now: they are connected to the model first.
void TSongsGridView::reset() {
    QTableView::reset();
    ApplyLayout();
}

QString TSongsGridView::FieldOf(int logicalIndex) const {
    return model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
}

int TSongsGridView::PositionOf(int logicalIndex) const {
    return FindGridColumn(Layout, FieldOf(logicalIndex).toStdString());
}

void TSongsGridView::SetGridLayout(const TGridLayout& layout) {
    Layout = layout;
    ApplyColors();
    ApplyLayout();
}

TGridLayout TSongsGridView::LayoutForSaving() const {
    TGridLayout saved = Layout;
    if (!FullView)
        ApplyViewVisibility(saved, true, SavedVisibility);
    return saved;
}

void TSongsGridView::ApplyGridView(bool fullView, bool gridLines) {
    FullView = fullView;
    GridLinesOn = gridLines;
    ApplyViewVisibility(Layout, fullView, SavedVisibility);
    ApplyLayout();
}

bool TSongsGridView::ColumnVisible(std::string_view field) const {
    const int at = FindGridColumn(Layout, field);
    return at >= 0 && Layout.Columns[static_cast<size_t>(at)].Visible;
}

void TSongsGridView::SetColumnVisible(std::string_view field, bool visible) {
    const int at = FindGridColumn(Layout, field);
    if (at < 0)
        return;
    Layout.Columns[static_cast<size_t>(at)].Visible = visible;
    ApplyLayout();
}

void TSongsGridView::ClickHeading(std::string_view field, bool addColumn) {
    if (FindGridColumn(Layout, field) < 0)
        return;
    ClickSortMarker(Layout, field, addColumn);
    Header->viewport()->update();
    emit SortMarkersChanged();
}

void TSongsGridView::HeadingClicked(int logicalIndex, Qt::KeyboardModifiers modifiers) {
    ClickHeading(FieldOf(logicalIndex).toStdString(), modifiers & Qt::ControlModifier);
}

void TSongsGridView::SetSqlMode(bool on) {
    Delegate->SetSqlMode(on);
    viewport()->update();
}

std::vector<int> TSongsGridView::MarkedRows() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TSongsGridView::ApplyColors() {
    Delegate->SetColors(QColor::fromRgb(Layout.EvenRowColor), QColor::fromRgb(Layout.OddRowColor),
                        QColor::fromRgb(Layout.TextColor));
    viewport()->update();
}

void TSongsGridView::ApplyColumn(int logicalIndex, bool catalogueRows) {
    const int at = PositionOf(logicalIndex);
    if (at < 0) {
        const bool key = FieldOf(logicalIndex).compare(QLatin1String("id"), Qt::CaseInsensitive) == 0;
        setColumnHidden(logicalIndex, catalogueRows && key);
        return;
    }
    const TGridColumn& column = Layout.Columns[static_cast<size_t>(at)];
    setColumnHidden(logicalIndex, !column.Visible);
    if (FullView)
        Header->resizeSection(logicalIndex, column.Width);
}

// Puts the model's columns into the layout's order, widths and visibility; columns the layout does
// not know follow in their own order.
void TSongsGridView::ApplyLayout() {
    const int count = model() ? model()->columnCount() : 0;
    Applying = true;
    Header->setSectionResizeMode(FullView ? QHeaderView::Interactive : QHeaderView::Stretch);
    std::vector<int> positions(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        positions[static_cast<size_t>(i)] = PositionOf(i);
    std::vector<int> known(positions);
    std::erase(known, -1);
    std::sort(known.begin(), known.end());
    const bool catalogueRows =
        std::unique(known.begin(), known.end()) - known.begin() == static_cast<long>(Layout.Columns.size());
    for (int i = 0; i < count; ++i)
        ApplyColumn(i, catalogueRows);
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    const auto key = [&](int i) {
        const int at = positions[static_cast<size_t>(i)];
        return at >= 0 ? at : count + static_cast<int>(Layout.Columns.size()) + i;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    for (int v = 0; v < count; ++v)
        Header->moveSection(Header->visualIndex(order[static_cast<size_t>(v)]), v);
    Header->setVisible(FullView);
    setShowGrid(FullView && GridLinesOn);
    Applying = false;
    Header->viewport()->update();
}

void TSongsGridView::SectionResized(int logicalIndex, int newSize) {
    const int at = PositionOf(logicalIndex);
    if (Applying || !FullView || newSize <= 0 || at < 0)
        return;
    Layout.Columns[static_cast<size_t>(at)].Width = newSize;
}

// A column dragged to another place: the layout's columns shown now take the places they hold
// among themselves; columns the present result lacks keep their positions.
void TSongsGridView::SectionMoved() {
    if (Applying || !model())
        return;
    std::vector<std::pair<int, int>> shown; // visual index, layout position
    std::vector<bool> seen(Layout.Columns.size(), false);
    for (int i = 0; i < model()->columnCount(); ++i) {
        const int at = PositionOf(i);
        if (at >= 0 && !seen[static_cast<size_t>(at)]) {
            seen[static_cast<size_t>(at)] = true;
            shown.emplace_back(Header->visualIndex(i), at);
        }
    }
    std::vector<int> places;
    for (const auto& [visual, at] : shown)
        places.push_back(at);
    std::sort(places.begin(), places.end());
    std::sort(shown.begin(), shown.end());
    std::vector<TGridColumn> columns = Layout.Columns;
    for (size_t k = 0; k < shown.size(); ++k)
        columns[static_cast<size_t>(places[k])] = Layout.Columns[static_cast<size_t>(shown[k].second)];
    Layout.Columns = std::move(columns);
}

void TSongsGridView::wheelEvent(QWheelEvent* event) {
    if (selectionModel() && selectionModel()->hasSelection()) {
        const QModelIndex current = currentIndex();
        if (current.isValid())
            selectionModel()->select(current,
                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selectionModel()->clearSelection();
    }
    QTableView::wheelEvent(event);
}

QItemSelectionModel::SelectionFlags TSongsGridView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    if (!KeepMarks || !event)
        return QTableView::selectionCommand(index, event);
    Qt::KeyboardModifiers modifiers;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        modifiers = static_cast<const QMouseEvent*>(event)->modifiers();
        break;
    case QEvent::KeyPress:
        modifiers = static_cast<const QKeyEvent*>(event)->modifiers();
        break;
    default:
        return QTableView::selectionCommand(index, event);
    }
    if (modifiers & (Qt::ControlModifier | Qt::ShiftModifier))
        return QTableView::selectionCommand(index, event);
    return QItemSelectionModel::NoUpdate;
}
