#include "../catalogue/CatalogueFixtures.h"
#include "GuiTestSupport.h"
#include "app/ScanDoneWnd.h"
#include "app/ScanForm.h"
#include "readers/TabFormats.h"
#include "settings/Translate.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

struct TShown {
    QString Stage, Folder;
    bool Visible;
    bool operator==(const TShown&) const = default;
};

void PrintTo(const TShown& s, std::ostream* out) {
    *out << s.Stage.toStdString() << " " << s.Folder.toStdString() << (s.Visible ? " (shown)" : " (hidden)");
}

// Three roots; the scan is stopped when it announces the second, after the first was read. The
// worker waits while its progress is shown, so the stop lands exactly there.
TEST(ScanForm, StoppingDuringTheWalkKeepsTheWindowUntilTheScanHasEnded) {
    const struct {
        const char* Name;
        std::function<void(TScanForm&)> Stop;
    } ways[] = {
        {"Cancel", [](TScanForm& f) { Child<QPushButton>(f, "BtnCancel")->click(); }},
        {"Escape", [](TScanForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }},
        {"close", [](TScanForm& f) { f.close(); }},
    };
    TTempDir dir;
    const std::string roots[] = {dir / "a", dir / "b", dir / "c"};
    for (int i = 0; i < 5; ++i)
        WriteFile(roots[0] + "/" + std::to_string(i) + ".gp5", Gp5File("Song " + std::to_string(i)));
    WriteFile(roots[1] + "/x.gp5", Gp5File("Later"));
    WriteFile(roots[2] + "/y.gp5", Gp5File("Later"));
    TScanForm form;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.Name);
        std::vector<TShown> shown;
        const QMetaObject::Connection watch = QObject::connect(
            &form, &TScanForm::ProgressShown, [&](const QString& stage, const QString& folder) {
                shown.push_back({stage, folder, form.isVisible()});
                EXPECT_EQ(form.StageText(), stage);
                EXPECT_EQ(form.CommentText(), folder);
                if (folder.toStdString() == roots[1])
                    way.Stop(form);
            });
        const TScanOutcome outcome = form.RunScan({roots[0], roots[1], roots[2]}, ttAll, dir / "tabs.db3");
        QObject::disconnect(watch);
        const std::vector<TShown> expected = {
            {"Processing directory:", QString::fromStdString(roots[0]), true},
            {"Processing directory:", QString::fromStdString(roots[1]), true},
            {"Processing directory:", QString::fromStdString(roots[2]), true},
            {"Finishing...", "", true},
            {"Done.", "", true},
        };
        EXPECT_EQ(shown, expected);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(outcome.Failure, "");
        EXPECT_EQ(outcome.Added, 5);
        EXPECT_EQ(outcome.ErrorCount, 0);
        EXPECT_EQ(Rows(dir / "tabs.db3", "SELECT count(*) FROM tablatures WHERE title LIKE 'Song%';"),
                  (TRows{{"5"}}));
        EXPECT_TRUE(ScanResultText(outcome.Added, outcome.ErrorCount, outcome.Elapsed)
                        .endsWith("5 tablatures total."));
    }
}

TEST(ScanForm, ACatalogueThatCannotBeCreatedIsReported) {
    TTempDir dir;
    TScanForm form;
    const TScanOutcome outcome = form.RunScan({dir.Path}, ttAll, dir / "missing/tabs.db3");
    EXPECT_EQ(outcome.Failure, dir / "missing/tabs.db3: Cannot create database");
    EXPECT_FALSE(form.isVisible());
}

TEST(ScanDoneWnd, TextInTheLanguageAndItsPluralForms) {
    SetLocaleFolder(QV_BUILD_DIR "/locale");
    const struct {
        const char* Language;
        int Added, Errors;
        int64_t Msec;
        const char* Expected; // the text, or the part with the plural forms
    } cases[] = {
        {"en", 120, 0, 75000, "Finished in 1 min., 15 sec., 120 tablatures total."},
        {"en", 1, 1, 3600000 + 59999,
         "Finished in 60 min., 59 sec., 1 tablature total. There was 1 error updating database. Click here "
         "for "
         "details..."},
        {"en", 0, 2, 999,
         "Finished in 0 min., 0 sec., 0 tablatures total. There was 2 errors updating database."},
        {"en", 7, 0, 4294967296LL + 61000, "Finished in 1 min., 1 sec., 7 tablatures total."},
        {"ru", 1, 0, 75000, "Завершено за 1 мин., 15 сек., Всего 1 табулатура."},
        {"ru", 22, 0, 0, "Всего 22 табулатуры."},
        {"ru", 11, 5, 0, "Всего 11 табулатур. При обновлении базы данных произошло 5 ошибок."},
        {"ru", 21, 21, 0, "Всего 21 табулатура. При обновлении базы данных произошла 21 ошибка."},
    };
    for (const auto& c : cases) {
        UseLanguage(c.Language);
        const QString text = ScanResultText(c.Added, c.Errors, c.Msec);
        EXPECT_TRUE(text.contains(c.Expected)) << text.toStdString();
        if (c.Errors == 0) {
            EXPECT_TRUE(text.endsWith(c.Expected)) << text.toStdString();
        }
    }
    UseLanguage("en");
}

// With errors the text is a link: hand cursor, red and underlined under the mouse, a click asks
// for the error list. Without errors it does not react.
TEST(ScanDoneWnd, TheTextIsALinkToTheErrorListOnlyWithErrors) {
    TScanDoneWnd notice;
    int asked = 0;
    notice.SetErrorListHandler([&] { ++asked; });
    auto* label = Child<QLabel>(notice, "LMessage");
    const QColor normal = label->palette().color(QPalette::WindowText);
    for (const int errors : {1, 0}) {
        SCOPED_TRACE(errors);
        asked = 0;
        notice.ShowResult(3, errors, 1000);
        EXPECT_EQ(label->cursor().shape(), errors ? Qt::PointingHandCursor : Qt::ArrowCursor);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(label, &enter);
        EXPECT_EQ(label->font().underline(), errors > 0);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), errors ? QColor(Qt::red) : normal);
        QTest::mouseClick(label, Qt::LeftButton);
        EXPECT_EQ(asked, errors ? 1 : 0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label, &leave);
        EXPECT_FALSE(label->font().underline());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), normal);
    }
    notice.close();
}

// Three seconds opaque, then about a second and a quarter of fading, then closed.
TEST(ScanDoneWnd, FadesOutAndClosesByItself) {
    TScanDoneWnd notice;
    notice.ShowResult(120, 0, 75000);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(notice.isVisible());
    EXPECT_TRUE(notice.windowFlags() & Qt::WindowStaysOnTopHint);
    double lowest = 1;
    qint64 fadeStart = -1;
    const bool closed = WaitUntil(
        [&] {
            if (notice.windowOpacity() < 1 && fadeStart < 0)
                fadeStart = clock.elapsed();
            lowest = std::min(lowest, notice.windowOpacity());
            return !notice.isVisible();
        },
        20000);
    ASSERT_TRUE(closed);
    const qint64 total = clock.elapsed();
    EXPECT_GE(fadeStart, 2800);
    EXPECT_GE(total - fadeStart, 1000);
    EXPECT_LT(lowest, 0.2);
}

} // namespace
