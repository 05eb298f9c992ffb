#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QTimer;

// The notice shown after a scan: how long it took, how many tablatures it read and how many files
// failed. It stays on top, waits three seconds and fades out; with errors, a click on the text
// asks for the error list.
class TScanDoneWnd : public QWidget {
    Q_OBJECT
public:
    explicit TScanDoneWnd(QWidget* mainWindow = nullptr);

    // Composes the text for added tablatures, errors and the duration in milliseconds.
    void SetResult(int added, int errors, int64_t msec);
    // SetResult, then shows the notice (again, if it is still fading) opaque, centred on the main
    // window, without waiting.
    void ShowResult(int added, int errors, int64_t msec);
    // Run by a click on the text when there were errors: the main window waits for its list
    // workers and shows the Errors window.
    void SetErrorListHandler(std::function<void()> handler) { ShowErrorList = std::move(handler); }

    QString Message() const;
    int ErrorTotal() const { return Errors; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Restart();
    void WaitTimerTimer();
    void FadeOutTimerTimer();
    void Highlight(bool on);

    QLabel* LMessage;
    QTimer* WaitTimer;
    QTimer* FadeOutTimer;
    int Errors = 0;
    int Opacity = 255;
    std::function<void()> ShowErrorList;
};

// The notice's text: "Finished in M min., S sec., N tablatures total." and, with errors, their
// count and "Click here for details...". msec is taken modulo 2^32, as the scan's tick count wraps.
QString ScanResultText(int added, int errors, int64_t msec);
