#pragma once

#include <QDialog>
#include <QStringList>

#include <string>

class QPlainTextEdit;

// "Unexpected error": a failure that no handler caught, where it happened, and on which program
// and system version. Shown only; the program goes on.
class TExceptionDlg : public QDialog {
    Q_OBJECT
public:
    explicit TExceptionDlg(QWidget* parent = nullptr);
    void SetReport(const QStringList& lines);
    QString Report() const;
    // A report is on screen, or about to be.
    static bool Showing();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QPlainTextEdit* ErrorInfoMemo;
};

// The report's lines: the message, the failure's type, the class of the object that received the
// event, the program version and the operating system.
QStringList ExceptionReport(const std::string& message, const std::string& typeName,
                            const std::string& senderClass);

// Where every failure that no handler caught ends. Shows the report modally once the current event
// is done, centred on the window active then; drops the failure while another report is on screen
// or pending. Safe to call from any thread.
void ApplicationEventsException(const std::string& senderClass, const std::string& typeName,
                                const std::string& message);
