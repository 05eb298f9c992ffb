#pragma once

#include "browse/GridLayout.h"

#include <QHeaderView>
#include <QTableView>

#include <vector>

class TSongsCellDelegate;
class TSongsGridView;

// The tablature list's heading row: translated headings, sort markers drawn as an arrow with the
// sort index beside it while several columns are sorted, tooltips on the headings that have them.
// A click is reported with its modifiers, since a Ctrl+click adds a sort column.
class TSortHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit TSortHeaderView(TSongsGridView* grid);

    QString HeadingText(int logicalIndex) const;

signals:
    void HeadingClicked(int logicalIndex, Qt::KeyboardModifiers modifiers);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void DrawMarker(QPainter* painter, const QRect& rect, const TMarkerLook& look) const;
    int MarkerWidth(const TMarkerLook& look) const;

    TSongsGridView* Grid;
    Qt::KeyboardModifiers ReleaseModifiers;
};

// The tablature list (SongsGrid) over a TResultSetModel, or any model whose horizontal header
// data names the columns. Columns are matched to the layout by field name, so the layout (order,
// widths, visibility, sort markers) survives refills, SQL results with other columns, and a list
// without rows or columns. The catalogue's id column is hidden; columns the layout does not know
// are shown after its own. The list never sorts: a marker change is signalled and becomes the
// next refill's ORDER BY. Main thread only.
class TSongsGridView : public QTableView {
    Q_OBJECT
public:
    explicit TSongsGridView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // The layout as shown, widths and order included; the full view's when saving (see below).
    const TGridLayout& GridLayout() const { return Layout; }
    void SetGridLayout(const TGridLayout& layout);
    // The layout to store: in short view, the columns of the full view.
    TGridLayout LayoutForSaving() const;

    // Takes the visibility of positions 1 to 8 as the table the full view restores.
    void SaveVisibilityTable() { SavedVisibility = SaveVisibility(Layout); }
    const TSavedVisibility& VisibilityTable() const { return SavedVisibility; }
    // Full view: the saved visibility, headings, lines when gridLines. Short view: the first
    // column alone, fitted to the width, without headings and lines.
    void ApplyGridView(bool fullView, bool gridLines);
    bool IsFullView() const { return FullView; }

    bool ColumnVisible(std::string_view field) const;
    void SetColumnVisible(std::string_view field, bool visible);
    void ToggleColumn(std::string_view field) { SetColumnVisible(field, !ColumnVisible(field)); }

    // The marked columns for the composer.
    std::vector<SortColumn> SortColumns() const { return SortColumnsOf(Layout); }
    // As a click on the field's heading would do.
    void ClickHeading(std::string_view field, bool addColumn);

    // Outside SQL mode an empty title is drawn as "<untitled>".
    void SetSqlMode(bool on);
    // On: moving to another row keeps the marked rows; off: it clears them.
    void SetSelectionMode(bool keepMarks) { KeepMarks = keepMarks; }
    bool SelectionModeOn() const { return KeepMarks; }

    // The marked rows, in ascending order.
    std::vector<int> MarkedRows() const;
    // The layout's position of a model column, or -1 for a column the layout does not know.
    int PositionOf(int logicalIndex) const;
    TSongsCellDelegate* CellDelegate() const { return Delegate; }

signals:
    void SortMarkersChanged();

protected:
    void reset() override;
    void wheelEvent(QWheelEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    QString FieldOf(int logicalIndex) const;
    void ApplyLayout();
    void ApplyColumn(int logicalIndex, bool catalogueRows);
    void ApplyColors();
    void SectionResized(int logicalIndex, int newSize);
    void SectionMoved();
    void HeadingClicked(int logicalIndex, Qt::KeyboardModifiers modifiers);

    TGridLayout Layout;
    TSavedVisibility SavedVisibility;
    TSortHeaderView* Header;
    TSongsCellDelegate* Delegate;
    bool FullView = true;
    bool GridLinesOn = true;
    bool KeepMarks = false;
    bool Applying = false;
};
