#include "browse/SQLForm.h"

#include "../catalogue/OldCatalogues.h"
#include "app/BalloonHint.h"
#include "browse/ResultSet.h"
#include "browse/SqlHighlighter.h"
#include "catalogue/CatalogueConnection.h"
#include "settings/LayoutStore.h"
#include "settings/Translate.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// The format the highlighter gave the character at column of line.
QTextCharFormat FormatAt(const QTextDocument& doc, int line, int column) {
    const QTextBlock block = doc.findBlockByNumber(line);
    for (const QTextLayout::FormatRange& r : block.layout()->formats())
        if (column >= r.start && column < r.start + r.length)
            return r.format;
    return {};
}

TEST(SqlHighlighterTest, ColoursEachKindOfToken) {
    QTextDocument doc;
    TSqlHighlighter highlighter(&doc);
    doc.setPlainText("SELECT title, 'it''s -- no' FROM t -- note\n"
                     "WHERE year > 2000 /* open\n"
                     "still */ AND x = 'two\n"
                     "lines' AND y=1.5e-3");
    highlighter.rehighlight();
    const auto kind = [&](int line, int column) {
        const QTextCharFormat f = FormatAt(doc, line, column);
        for (auto k : {TSqlHighlighter::Comment, TSqlHighlighter::Number, TSqlHighlighter::String,
                       TSqlHighlighter::Symbol, TSqlHighlighter::Keyword})
            if (f == TSqlHighlighter::FormatOf(k))
                return k;
        return TSqlHighlighter::Plain;
    };
    struct {
        int line, column;
        TSqlHighlighter::TTokenKind expected;
    } cells[] = {
        {0, 0, TSqlHighlighter::Keyword},  {0, 7, TSqlHighlighter::Plain},
        {0, 12, TSqlHighlighter::Symbol},  {0, 14, TSqlHighlighter::String},
        {0, 17, TSqlHighlighter::String},  {0, 21, TSqlHighlighter::String},
        {0, 28, TSqlHighlighter::Keyword}, {0, 35, TSqlHighlighter::Comment},
        {1, 11, TSqlHighlighter::Symbol},  {1, 13, TSqlHighlighter::Number},
        {1, 20, TSqlHighlighter::Comment}, {2, 2, TSqlHighlighter::Comment},
        {2, 9, TSqlHighlighter::Keyword},  {2, 17, TSqlHighlighter::String},
        {3, 2, TSqlHighlighter::String},   {3, 7, TSqlHighlighter::Keyword},
        {3, 11, TSqlHighlighter::Plain},   {3, 12, TSqlHighlighter::Symbol},
        {3, 13, TSqlHighlighter::Number},  {3, 18, TSqlHighlighter::Number},
    };
    for (const auto& c : cells)
        EXPECT_EQ(kind(c.line, c.column), c.expected) << c.line << ":" << c.column;
    EXPECT_TRUE(TSqlHighlighter::FormatOf(TSqlHighlighter::Comment).fontItalic());
    EXPECT_EQ(TSqlHighlighter::FormatOf(TSqlHighlighter::String).foreground().color(), QColor(128, 0, 128));
    EXPECT_EQ(TSqlHighlighter::FormatOf(TSqlHighlighter::Keyword).fontWeight(), QFont::Bold);
}

class SQLFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocaleFolder(QV_BUILD_DIR "/locale");
        UseLanguage("en");
    }
    TTempDir Dir;
    TGridPropertyStore Store{Dir / "config.ini"};
};

TEST_F(SQLFormTest, PlaceSizeAndFontComeBackFromSQLEditor) {
    QFont chosen("Monospace");
    chosen.setPixelSize(17);
    {
        TSQLForm form(&Store, nullptr, [&](const QFont&, QWidget*) { return std::optional<QFont>(chosen); });
        form.show();
        EXPECT_EQ(form.size(), QSize(459, 299));
        EXPECT_EQ(form.Editor()->toPlainText(), " ");
        form.setGeometry(40, 50, 333, 222);
        form.ChangeFont();
        form.reject();
    }
    EXPECT_FALSE(Store.Load(SQLEditorSection).empty());
    TSQLForm again(&Store);
    again.show();
    EXPECT_EQ(again.geometry(), QRect(40, 50, 333, 222));
    EXPECT_EQ(again.Editor()->font().pixelSize(), 17);
    EXPECT_EQ(again.Editor()->font().family(), chosen.family());

    // A cancelled font dialog keeps the font.
    TSQLForm cancelled(&Store, nullptr, [](const QFont&, QWidget*) { return std::optional<QFont>(); });
    const QFont before = cancelled.Editor()->font();
    cancelled.ChangeFont();
    EXPECT_EQ(cancelled.Editor()->font(), before);
}

TEST_F(SQLFormTest, OkNeedsAStatement) {
    TSQLForm form(&Store);
    form.show();
    QCoreApplication::processEvents(); // the highlighter's first pass
    form.Editor()->setPlainText("  \n\t\n \x01 ");
    QTest::mouseClick(form.findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    ASSERT_NE(TBalloonHint::Current(), nullptr);
    EXPECT_EQ(TBalloonHint::Current()->Anchor(), form.Editor());
    EXPECT_EQ(TBalloonHint::Current()->Title(), "Error");
    EXPECT_EQ(TBalloonHint::Current()->Text(), "Write SQL here or click \"Cancel\".");
    EXPECT_EQ(TBalloonHint::Current()->Timeout(), 2000);
    TBalloonHint::CloseCurrent();

    form.Editor()->setPlainText("\nSELECT 1\n");
    EXPECT_EQ(FormatAt(*form.Editor()->document(), 1, 0),
              TSqlHighlighter::FormatOf(TSqlHighlighter::Keyword));
    QTest::mouseClick(form.findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.QueryText(), "\nSELECT 1\n");
}

// The command's path as the main window runs it, against a catalogue on its read connection.
TEST_F(SQLFormTest, QueriesRunReadOnlyAndErrorsFallBack) {
    const std::string path = Dir / "tabs.db3";
    MakeCatalogue(path, 3, "3",
                  "INSERT INTO tablatures(title, year) VALUES('Old', 1990), ('New', 2005), ('Newer', 2010);");
    TCatalogueConnection db;
    db.Open(path);
    TSQLForm form(nullptr);
    std::shared_ptr<const TResultSet> shown;
    QString error;
    int fallBacks = 0;
    const TSqlQuerySteps steps{
        [](QDialog& dialog) { return dialog.result(); },
        [&] { shown = RunQuery(db, form.QueryText()); },
        [&] { ++fallBacks; },
        [&](const QString& title, const QString& text) { error = title + "|" + text; },
    };
    const auto run = [&](const char* sql, int answer) {
        form.Editor()->setPlainText(sql);
        form.setResult(answer);
        error.clear();
        return ExecuteSQLQuery(form, nullptr, steps);
    };

    EXPECT_EQ(run("SELECT title\nFROM tablatures\nWHERE year > 2000", QDialog::Rejected),
              TSqlQueryResult::Cancelled);
    EXPECT_EQ(shown, nullptr);
    EXPECT_EQ(run("SELECT title\nFROM tablatures\nWHERE year > 2000", QDialog::Accepted),
              TSqlQueryResult::Shown);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->RowCount(), 2u);

    EXPECT_EQ(run("SELEC title FROM tablatures", QDialog::Accepted), TSqlQueryResult::Failed);
    EXPECT_TRUE(error.startsWith("Error|Error executing SQL:\nnear \"SELEC\"")) << error.toStdString();
    EXPECT_EQ(fallBacks, 1);

    for (const char* change : {"DELETE FROM tablatures", "DROP TABLE tablatures",
                               "UPDATE tablatures SET title = ''", "CREATE TABLE x (a)"}) {
        EXPECT_EQ(run(change, QDialog::Accepted), TSqlQueryResult::Failed) << change;
        EXPECT_TRUE(error.startsWith("Error|Error executing SQL:\n")) << error.toStdString();
    }
    EXPECT_EQ(RunQuery(db, "SELECT count(*) FROM tablatures")->Cell(0, 0), "3");
    EXPECT_EQ(fallBacks, 5);
}

} // namespace
