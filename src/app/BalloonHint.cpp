#include "app/BalloonHint.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int StemHeight = 12;
constexpr int StemWidth = 14;
constexpr int Radius = 6;
// The tip points at this far right of the balloon's left edge, so the body lies to its left.
constexpr int StemInset = 28;

QPointer<TBalloonHint> ShownBalloon;

QIcon IconOf(TBalloonIcon icon, const QStyle* style) {
    switch (icon) {
    case TBalloonIcon::Info:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TBalloonIcon::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case TBalloonIcon::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case TBalloonIcon::None:
        break;
    }
    return {};
}

} // namespace

TBalloonHint::TBalloonHint(QWidget* anchor, const QString& title, const QString& text, TBalloonIcon icon)
    : QWidget(anchor->window(), Qt::ToolTip | Qt::FramelessWindowHint), AnchorWidget(anchor), IconKind(icon),
      TitleLabel(new QLabel(title, this)), TextLabel(new QLabel(text, this)) {
    setObjectName("BalloonHint");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette colours = QToolTip::palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8 + StemHeight, 6, 10);
    grid->setHorizontalSpacing(6);
    auto* picture = new QLabel(this);
    picture->setPixmap(IconOf(icon, style()).pixmap(16, 16));
    picture->setVisible(icon != TBalloonIcon::None);
    QFont bold = TitleLabel->font();
    bold.setBold(true);
    TitleLabel->setFont(bold);
    TitleLabel->setVisible(!title.isEmpty());
    TextLabel->setWordWrap(text.size() > 60);
    TextLabel->setMaximumWidth(320);
    auto* closeButton = new QToolButton(this);
    closeButton->setObjectName("BalloonClose");
    closeButton->setAutoRaise(true);
    closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closeButton->setIconSize(QSize(10, 10));
    connect(closeButton, &QToolButton::clicked, this, &QWidget::close);
    grid->addWidget(picture, 0, 0);
    grid->addWidget(TitleLabel, 0, 1);
    grid->addWidget(closeButton, 0, 2, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(TextLabel, 1, 1, 1, 2);
    CloseTimer.setSingleShot(true);
    connect(&CloseTimer, &QTimer::timeout, this, &QWidget::close);
    anchor->window()->installEventFilter(this);
}

TBalloonHint* TBalloonHint::ShowAt(QWidget* anchor, const QString& title, const QString& text,
                                   TBalloonIcon icon, int msec) {
    CloseCurrent();
    auto* balloon = new TBalloonHint(anchor, title, text, icon);
    ShownBalloon = balloon;
    balloon->adjustSize();
    balloon->Place();
    balloon->show();
    if (msec > 0)
        balloon->CloseTimer.start(msec);
    return balloon;
}

TBalloonHint* TBalloonHint::Current() {
    return ShownBalloon && ShownBalloon->isVisible() ? ShownBalloon : nullptr;
}

void TBalloonHint::CloseCurrent() {
    if (ShownBalloon)
        ShownBalloon->close();
}

QString TBalloonHint::Title() const {
    return TitleLabel->text();
}
QString TBalloonHint::Text() const {
    return TextLabel->text();
}

// Below the anchor when there is room on its screen, otherwise above it with the stem turned down.
void TBalloonHint::Place() {
    if (!AnchorWidget)
        return;
    const QRect area = AnchorWidget->screen()->availableGeometry();
    const QPoint bottom =
        AnchorWidget->mapToGlobal(QPoint(AnchorWidget->width() / 2, AnchorWidget->height()));
    const QPoint top = AnchorWidget->mapToGlobal(QPoint(AnchorWidget->width() / 2, 0));
    StemUp = bottom.y() + height() <= area.bottom() || top.y() - height() < area.top();
    const QPoint tip = StemUp ? bottom - QPoint(0, 4) : top + QPoint(0, 4);
    int left = std::clamp(tip.x() - (width() - StemInset), area.left(),
                          std::max(area.left(), area.right() - width()));
    StemX = std::clamp(tip.x() - left, Radius + StemWidth, width() - Radius - 2);
    layout()->setContentsMargins(10, 8 + (StemUp ? StemHeight : 0), 6, 10 + (StemUp ? 0 : StemHeight));
    move(left, StemUp ? tip.y() : tip.y() - height());
}

QRect TBalloonHint::BodyRect() const {
    return StemUp ? rect().adjusted(0, StemHeight, -1, -1) : rect().adjusted(0, 0, -1, -1 - StemHeight);
}

void TBalloonHint::paintEvent(QPaintEvent*) {
    const QRect body = BodyRect();
    QPainterPath path;
    path.addRoundedRect(body, Radius, Radius);
    QPolygon stem;
    const int edge = StemUp ? body.top() + 1 : body.bottom() - 1;
    stem << QPoint(StemX - StemWidth, edge) << QPoint(StemX, StemUp ? 0 : height() - 1)
         << QPoint(StemX, edge);
    QPainterPath stemPath;
    stemPath.addPolygon(stem);
    path = path.united(stemPath);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawPath(path);
}

void TBalloonHint::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        close();
}

bool TBalloonHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == (AnchorWidget ? AnchorWidget->window() : nullptr)) {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            close();
        else if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            Place();
    }
    return QWidget::eventFilter(watched, event);
}
