#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include <functional>

// Cell painting of the three lists: placeholders for empty values, and the full text of a cut
// cell as its tooltip.

// The text of a cell that does not fit into width pixels with font, or empty when it fits.
QString CutTextToolTip(const QFont& font, const QString& text, int width);

// The tablature list's cells: even and odd row colours and the text colour, and outside SQL mode
// an empty title drawn as a grey "<untitled>".
class TSongsCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TSongsCellDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    void SetSqlMode(bool on) { SqlMode = on; }
    bool IsSqlMode() const { return SqlMode; }
    void SetColors(QColor evenRow, QColor oddRow, QColor text);

    // Background and text colours for the cell, and the placeholder to draw in place of an empty
    // title (empty when the cell is drawn as usual).
    struct TCellLook {
        QColor Background;
        QColor Text;
        QString Placeholder;
    };
    TCellLook Look(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    bool SqlMode = false;
    QColor EvenRow = Qt::white;
    QColor OddRow = Qt::white;
    QColor TextColor = Qt::black;
};

// The artists and albums lists' cells, all drawn here: the current row highlighted unless the list
// stands on its heading, an empty value as an italic "<unknown artist>" or "<unknown album>".
class TSideListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum TKind { Artists, Albums };
    // headingChosen tells whether the list stands on its "All" heading.
    TSideListDelegate(TKind kind, std::function<bool()> headingChosen, QObject* parent = nullptr);

    // The text drawn for a value, and whether it is the italic placeholder.
    QString DisplayText(const QString& value, bool* placeholder = nullptr) const;
    // Background and text colours of a cell.
    std::pair<QColor, QColor> Colors(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    TKind Kind;
    std::function<bool()> HeadingChosen;
};
