#include "app/ExceptionDlg.h"
#include "GuiTestSupport.h"
#include "app/AboutBox.h"

#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include <sqlite3.h>
#include <stdexcept>

namespace {

class TFailingButton : public QPushButton {
    Q_OBJECT
public:
    std::function<void()> Fail;

protected:
    void mousePressEvent(QMouseEvent*) override { Fail(); }
};

class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl& url) { Opened << url; }
};

QStringList ReportLines(const TExceptionDlg& dialog) {
    return dialog.Report().split('\n');
}

// A failure escaping an event handler is reported with its five lines; the program goes on.
TEST(ExceptionReport, EscapedFailuresAreReportedWithTheirType) {
    const struct {
        const char* Name;
        std::function<void()> Fail;
        QString Message, Type;
    } cases[] = {
        {"std::exception", [] { throw std::runtime_error("Disk on fire"); }, "Disk on fire",
         "std::runtime_error"},
        {"empty message", [] { throw std::logic_error(""); }, "", "std::logic_error"},
        {"not std::exception", [] { throw 42; }, "", "int"},
    };
    TFailingButton button;
    button.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        button.Fail = c.Fail;
        QStringList lines;
        WhenModal<TExceptionDlg>([&](TExceptionDlg& dialog) {
            lines = ReportLines(dialog);
            dialog.accept();
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([&] { return !lines.isEmpty(); }));
        ASSERT_EQ(lines.size(), 5);
        EXPECT_EQ(lines[0], c.Message);
        EXPECT_EQ(lines[1], "Error type: " + c.Type);
        EXPECT_EQ(lines[2], "Occured in: TFailingButton");
        EXPECT_EQ(lines[3], "Program version: " QV_VERSION);
        EXPECT_TRUE(lines[4].startsWith("Operating system: ")) << lines[4].toStdString();
        EXPECT_GT(lines[4].size(), 20);
        EXPECT_TRUE(WaitUntil([] { return !TExceptionDlg::Showing(); }));
    }
}

// While a report is on screen, further failures are dropped; once it is closed, the next is shown.
TEST(ExceptionReport, ASecondFailureWhileShownIsDropped) {
    TFailingButton button;
    button.show();
    button.Fail = [] { throw std::runtime_error("first"); };
    std::vector<QStringList> reports;
    bool secondThrown = false;
    WhenModal<TExceptionDlg>([&](TExceptionDlg& dialog) {
        reports.push_back(ReportLines(dialog));
        QTimer::singleShot(0, [&] {
            secondThrown = true;
            throw std::runtime_error("second");
        });
        WaitUntil([&] { return secondThrown; });
        // Another turn of the loop, where a report of the second failure would come up.
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        EXPECT_EQ(ReportLines(dialog), reports.front());
        dialog.accept();
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return secondThrown && !TExceptionDlg::Showing(); }));
    button.Fail = [] { throw std::runtime_error("third"); };
    WhenModal<TExceptionDlg>([&](TExceptionDlg& dialog) {
        reports.push_back(ReportLines(dialog));
        dialog.accept();
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return reports.size() == 2 && !TExceptionDlg::Showing(); }));
    EXPECT_EQ(reports[0][0], "first");
    EXPECT_EQ(reports[1][0], "third");
}

TEST(AboutBox, NamesTheProgramAndTheLibrariesInUse) {
    TAboutBox box;
    box.show();
    EXPECT_EQ(Child<QLabel>(box, "LNameAndVersion")->text(), "Quiravel " QV_VERSION);
    auto* list = Child<QListWidget>(box, "TechListBox");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    ASSERT_GE(names.size(), 5);
    EXPECT_EQ(names[0], QString("SQLite ") + sqlite3_libversion());
    EXPECT_EQ(names[1], QString("Qt ") + qVersion());
    for (const char* library : {"Boost.Locale ", "zlib ", "minizip "})
        EXPECT_EQ(names
                      .filter(QRegularExpression(QString("^") + QRegularExpression::escape(library) +
                                                 "\\d+(\\.\\d+)+$"))
                      .size(),
                  1)
            << library << names.join(", ").toStdString();

    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    const QRect first = list->visualItemRect(list->item(0));
    // A double click, as the system delivers it: press, release, then the double-click press.
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.Opened, QList<QUrl>{QUrl("https://www.sqlite.org/")});
}

} // namespace

#include "ExceptionDlgTest.moc"
