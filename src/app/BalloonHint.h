#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;

enum class TBalloonIcon { None, Info, Warning, Error };

// A small frameless popup pointing at a widget: an optional title and icon, the text and a close
// button; it closes itself after the given time, when clicked, or when the anchor's window hides.
// One balloon at a time: showing another closes the earlier one.
class TBalloonHint : public QWidget {
    Q_OBJECT
public:
    // msec 0 keeps the balloon until it is closed.
    static TBalloonHint* ShowAt(QWidget* anchor, const QString& title, const QString& text,
                                TBalloonIcon icon = TBalloonIcon::None, int msec = 5000);
    // The balloon on screen, or null.
    static TBalloonHint* Current();
    static void CloseCurrent();

    QString Title() const;
    QString Text() const;
    QWidget* Anchor() const { return AnchorWidget; }
    TBalloonIcon Icon() const { return IconKind; }
    int Timeout() const { return CloseTimer.interval(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TBalloonHint(QWidget* anchor, const QString& title, const QString& text, TBalloonIcon icon);
    void Place();
    QRect BodyRect() const;

    QPointer<QWidget> AnchorWidget;
    TBalloonIcon IconKind;
    QLabel* TitleLabel;
    QLabel* TextLabel;
    QTimer CloseTimer;
    bool StemUp = true;
    int StemX = 0;
};
