#include "app/ScanDoneWnd.h"

#include "app/FormText.h"
#include "settings/Translate.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

QString ScanResultText(int added, int errors, int64_t msec) {
    const auto t = static_cast<uint32_t>(msec);
    const uint32_t minutes = t / 60000, seconds = t / 1000 - 60 * minutes;
    QString text =
        FillFormat(Tr("Finished in %d min., %d sec., "),
                   {QString::number(minutes), QString::number(seconds)}) +
        FillFormat(TrN("%d tablature total.", "%d tablatures total.", added), {QString::number(added)});
    if (errors > 0)
        text += " " +
                FillFormat(TrN("There was %d error updating database.",
                               "There was %d errors updating database.", errors),
                           {QString::number(errors)}) +
                " " + QTr("Click here for details...");
    return text;
}

TScanDoneWnd::TScanDoneWnd(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("ScanDoneWnd");
    setWindowTitle("Quiravel");
    setFixedSize(346, 96);
    LMessage = new QLabel(this);
    LMessage->setObjectName("LMessage");
    LMessage->setFixedSize(313, 49);
    LMessage->setAlignment(Qt::AlignCenter);
    LMessage->setWordWrap(true);
    LMessage->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LMessage, 0, Qt::AlignCenter);
    WaitTimer = new QTimer(this);
    WaitTimer->setObjectName("WaitTimer");
    WaitTimer->setInterval(3000);
    WaitTimer->setSingleShot(true);
    FadeOutTimer = new QTimer(this);
    FadeOutTimer->setObjectName("FadeOutTimer");
    FadeOutTimer->setInterval(50);
    connect(WaitTimer, &QTimer::timeout, this, &TScanDoneWnd::WaitTimerTimer);
    connect(FadeOutTimer, &QTimer::timeout, this, &TScanDoneWnd::FadeOutTimerTimer);
}

void TScanDoneWnd::SetResult(int added, int errors, int64_t msec) {
    Errors = errors;
    LMessage->setText(ScanResultText(added, errors, msec));
    if (errors > 0)
        LMessage->setCursor(Qt::PointingHandCursor);
    else
        LMessage->unsetCursor();
    Highlight(false);
}

void TScanDoneWnd::ShowResult(int added, int errors, int64_t msec) {
    SetResult(added, errors, msec);
    if (QWidget* main = parentWidget())
        move(main->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    if (isVisible())
        Restart();
    show();
    raise();
}

QString TScanDoneWnd::Message() const {
    return LMessage->text();
}

void TScanDoneWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Restart();
}

void TScanDoneWnd::Restart() {
    FadeOutTimer->stop();
    Opacity = 255;
    setWindowOpacity(1.0);
    WaitTimer->start();
}

void TScanDoneWnd::closeEvent(QCloseEvent* event) {
    WaitTimer->stop();
    FadeOutTimer->stop();
    QWidget::closeEvent(event);
}

void TScanDoneWnd::WaitTimerTimer() {
    WaitTimer->stop();
    FadeOutTimer->start();
}

void TScanDoneWnd::FadeOutTimerTimer() {
    Opacity -= 10;
    setWindowOpacity(Opacity / 255.0);
    if (Opacity <= 5) {
        FadeOutTimer->stop();
        close();
    }
}

void TScanDoneWnd::Highlight(bool on) {
    QFont font = LMessage->font();
    font.setUnderline(on);
    LMessage->setFont(font);
    QPalette colours = palette();
    if (on)
        colours.setColor(QPalette::WindowText, Qt::red);
    LMessage->setPalette(colours);
}

bool TScanDoneWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched != LMessage || Errors <= 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        Highlight(true);
        break;
    case QEvent::Leave:
        Highlight(false);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && ShowErrorList)
            ShowErrorList();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
