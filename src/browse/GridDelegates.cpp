#include "browse/GridDelegates.h"

#include "settings/Translate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

const QColor PlaceholderGrey(128, 128, 128);

QString Translated(const char* text) {
    return QString::fromStdString(Tr(text));
}

bool IsTitleColumn(const QModelIndex& index) {
    return index.model()
               ->headerData(index.column(), Qt::Horizontal)
               .toString()
               .compare(QLatin1String("title"), Qt::CaseInsensitive) == 0;
}

bool HasFocus(const QStyleOptionViewItem& option) {
    return option.widget && option.widget->hasFocus();
}

// Draws text 2 pixels right of the cell's left edge and 1 below its top, cut with an ellipsis.
void DrawCellText(QPainter* painter, const QRect& rect, const QString& text) {
    const QRect area = rect.adjusted(2, 1, -2, 0);
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, area.width()));
}

// Shows the tooltip, or hides any, and takes the event either way so no other tooltip shows.
bool ShowCellToolTip(QHelpEvent* event, QAbstractItemView* view, const QModelIndex& index,
                     const QString& tip) {
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), tip, view->viewport(), view->visualRect(index));
    return true;
}

} // namespace

QString CutTextToolTip(const QFont& font, const QString& text, int width) {
    return QFontMetrics(font).horizontalAdvance(text) > width ? text : QString();
}

void TSongsCellDelegate::SetColors(QColor evenRow, QColor oddRow, QColor text) {
    EvenRow = evenRow;
    OddRow = oddRow;
    TextColor = text;
}

TSongsCellDelegate::TCellLook TSongsCellDelegate::Look(const QStyleOptionViewItem& option,
                                                       const QModelIndex& index) const {
    // Record numbers count from 1, so the first row is odd.
    TCellLook look{index.row() % 2 == 0 ? OddRow : EvenRow, TextColor, {}};
    if (SqlMode || !IsTitleColumn(index) || !index.data().toString().isEmpty())
        return look;
    look.Placeholder = Translated(QT_TR_NOOP("<untitled>"));
    look.Text = PlaceholderGrey;
    if (option.state & QStyle::State_Selected && HasFocus(option))
        look.Background = option.palette.color(QPalette::Active, QPalette::Highlight);
    return look;
}

void TSongsCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const TCellLook look = Look(option, index);
    if (!look.Placeholder.isEmpty()) {
        painter->save();
        painter->fillRect(option.rect, look.Background);
        painter->setPen(look.Text);
        painter->setFont(option.font);
        DrawCellText(painter, option.rect, look.Placeholder);
        painter->restore();
        return;
    }
    if (!(option.state & QStyle::State_Selected))
        painter->fillRect(option.rect, look.Background);
    QStyleOptionViewItem opt = option;
    opt.palette.setColor(QPalette::Text, look.Text);
    QStyledItemDelegate::paint(painter, opt, index);
}

bool TSongsCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !view || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int width = view->visualRect(index).width() - 2 * margin;
    return ShowCellToolTip(event, view, index, CutTextToolTip(option.font, index.data().toString(), width));
}

TSideListDelegate::TSideListDelegate(TKind kind, std::function<bool()> headingChosen, QObject* parent)
    : QStyledItemDelegate(parent), Kind(kind), HeadingChosen(std::move(headingChosen)) {}

QString TSideListDelegate::DisplayText(const QString& value, bool* placeholder) const {
    if (placeholder)
        *placeholder = value.isEmpty();
    if (!value.isEmpty())
        return value;
    return Translated(Kind == Artists ? QT_TR_NOOP("<unknown artist>") : QT_TR_NOOP("<unknown album>"));
}

std::pair<QColor, QColor> TSideListDelegate::Colors(const QStyleOptionViewItem& option,
                                                    const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool current = view && view->currentIndex().row() == index.row();
    if (!current || (HeadingChosen && HeadingChosen()))
        return {Qt::white, Qt::black};
    // The unfocused list marks its row in a workspace grey rather than the inactive highlight.
    const QColor background = HasFocus(option) ? option.palette.color(QPalette::Active, QPalette::Highlight)
                                               : option.palette.color(QPalette::Active, QPalette::Mid);
    return {background, option.palette.color(QPalette::Active, QPalette::HighlightedText)};
}

void TSideListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    bool placeholder = false;
    const QString text = DisplayText(index.data().toString(), &placeholder);
    const auto [background, foreground] = Colors(option, index);
    painter->save();
    painter->fillRect(option.rect, background);
    QFont font = option.font;
    font.setItalic(placeholder);
    painter->setFont(font);
    painter->setPen(foreground);
    DrawCellText(painter, option.rect, text);
    painter->restore();
}

bool TSideListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !view || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    bool placeholder = false;
    const QString text = DisplayText(index.data().toString(), &placeholder);
    QFont font = option.font;
    font.setItalic(placeholder);
    return ShowCellToolTip(event, view, index,
                           CutTextToolTip(font, text, view->visualRect(index).width() - 4));
}
