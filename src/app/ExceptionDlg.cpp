#include "app/ExceptionDlg.h"

#include "app/FormText.h"
#include "settings/Translate.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QSysInfo>
#include <QVBoxLayout>

#include <atomic>

#ifndef QV_SUPPORT_URL
#define QV_SUPPORT_URL ""
#endif

namespace {

// Set from the moment a report is accepted for showing until its window closes.
std::atomic<bool> ReportShown{false};

QString Line(const char* label, const QString& value) {
    return QTr(label) + " " + value;
}

} // namespace

TExceptionDlg::TExceptionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("ExceptionDlg");
    setWindowTitle(QTr("Unexpected error"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48));
    ErrorInfoMemo = new QPlainTextEdit(this);
    ErrorInfoMemo->setObjectName("ErrorInfoMemo");
    ErrorInfoMemo->setReadOnly(true);
    ErrorInfoMemo->setFrameShape(QFrame::NoFrame);
    ErrorInfoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ErrorInfoMemo->setFixedSize(360, 4 * fontMetrics().lineSpacing() + 10);
    auto* ok = new QPushButton(QTr("OK"), this);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QTr("An unexpected error occured:"), this));
    texts->addWidget(ErrorInfoMemo);
    auto* reportTo = new QLabel(QTr("Please report to:"), this);
    reportTo->setVisible(!QString(QV_SUPPORT_URL).isEmpty());
    texts->addWidget(reportTo);
    texts->addWidget(LinkLabel(QV_SUPPORT_URL, this));
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TExceptionDlg::SetReport(const QStringList& lines) {
    ErrorInfoMemo->clear();
    ErrorInfoMemo->setPlainText(lines.join('\n'));
}

QString TExceptionDlg::Report() const {
    return ErrorInfoMemo->toPlainText();
}

bool TExceptionDlg::Showing() {
    return ReportShown.load();
}

void TExceptionDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ReportShown = true;
    QApplication::beep();
}

void TExceptionDlg::done(int result) {
    QDialog::done(result);
    ReportShown = false;
}

QStringList ExceptionReport(const std::string& message, const std::string& typeName,
                            const std::string& senderClass) {
    const QString system =
        QSysInfo::prettyProductName() + " (" + QSysInfo::kernelType() + " " + QSysInfo::kernelVersion() + ")";
    return {
        QStr(Tr(message)),
        Line(QT_TR_NOOP("Error type:"), QStr(typeName)),
        Line(QT_TR_NOOP("Occured in:"), QStr(senderClass)),
        Line(QT_TR_NOOP("Program version:"), QV_VERSION),
        Line(QT_TR_NOOP("Operating system:"), system),
    };
}

void ApplicationEventsException(const std::string& senderClass, const std::string& typeName,
                                const std::string& message) {
    if (ReportShown.exchange(true))
        return;
    // Shown from the event loop rather than from inside the handler that failed, which may be
    // half way through painting or run on another thread.
    QMetaObject::invokeMethod(
        qApp,
        [lines = ExceptionReport(message, typeName, senderClass)] {
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
            QWidget* owner = QApplication::activeModalWidget();
            TExceptionDlg dialog(owner ? owner : QApplication::activeWindow());
            dialog.SetReport(lines);
            dialog.exec();
            ReportShown = false;
        },
        Qt::QueuedConnection);
}
