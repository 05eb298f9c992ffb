#include "browse/SongsGrid.h"

#include "../catalogue/CatalogueFixtures.h"
#include "../support/MemoryQuery.h"
#include "browse/GridDelegates.h"
#include "browse/ResultSetModel.h"
#include "catalogue/Sqlite.h"
#include "settings/LayoutStore.h"
#include "settings/Translate.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Catalogue-shaped rows; the second has no title.
std::shared_ptr<const TResultSet> TabRows() {
    return MemoryQuery(
        "SELECT 1 AS id, 'One' AS title, 'A' AS artist, '' AS album, 2001 AS year, '' AS words, "
        "'' AS music, '/t/1.gp5' AS filename, 100 AS filesize, '' AS filedate "
        "UNION ALL SELECT 2, NULL, 'B', '', NULL, '', '', '/t/2.gp5', 2048, '' "
        "UNION ALL SELECT 3, 'Three', 'C', '', NULL, '', '', '/t/3.gp5', 1, ''");
}

class SongsGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocaleFolder(QV_BUILD_DIR "/locale");
        UseLanguage("en");
        Grid.setModel(&Model);
        Grid.resize(1200, 300);
        Model.SetResultSet(TabRows());
    }

    // Field names of the shown columns, left to right.
    std::vector<std::string> ShownFields() const {
        std::vector<std::string> fields;
        const QHeaderView* header = Grid.horizontalHeader();
        for (int v = 0; v < header->count(); ++v) {
            const int logical = header->logicalIndex(v);
            if (!Grid.isColumnHidden(logical))
                fields.push_back(Model.headerData(logical, Qt::Horizontal).toString().toStdString());
        }
        return fields;
    }

    int LogicalOf(const char* field) const { return Model.ResultSet()->FindColumn(field); }

    void ClickHeading(const char* field, Qt::KeyboardModifiers modifiers = {}) {
        QHeaderView* header = Grid.horizontalHeader();
        const int logical = LogicalOf(field);
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
    }

    TResultSetModel Model;
    TSongsGridView Grid;
};

TEST(GridLayoutTest, HeadingClicksSetMarkersThatBecomeTheOrderBy) {
    const auto order = [](const TGridLayout& layout) {
        BrowseInput in;
        in.SortColumns = SortColumnsOf(layout);
        return SongOrderClause(in);
    };
    TGridLayout layout = DefaultGridLayout();
    EXPECT_EQ(order(layout), "ORDER BY title COLLATE NOCASE;");
    struct {
        const char* field;
        bool add;
        const char* expected;
    } steps[] = {
        {"title", false, "ORDER BY title COLLATE NOCASE DESC;"},
        {"title", false, "ORDER BY title COLLATE NOCASE;"},
        {"artist", false, "ORDER BY artist COLLATE NOCASE;"},
        {"year", true, "ORDER BY artist COLLATE NOCASE, year COLLATE NOCASE;"},
        {"album", true, "ORDER BY artist COLLATE NOCASE, year COLLATE NOCASE, album COLLATE NOCASE;"},
        {"year", true, "ORDER BY artist COLLATE NOCASE, year COLLATE NOCASE DESC, album COLLATE NOCASE;"},
        {"nosuch", true, "ORDER BY artist COLLATE NOCASE, year COLLATE NOCASE DESC, album COLLATE NOCASE;"},
        {"year", false, "ORDER BY year COLLATE NOCASE;"},
    };
    for (const auto& s : steps) {
        ClickSortMarker(layout, s.field, s.add);
        EXPECT_EQ(order(layout), s.expected) << s.field << (s.add ? " with Ctrl" : "");
    }
    ClickSortMarker(layout, "filename", true);
    EXPECT_EQ(MarkerLook(layout, FindGridColumn(layout, "year")), (TMarkerLook{TSortMarker::Ascending, 1}));
    EXPECT_EQ(MarkerLook(layout, FindGridColumn(layout, "filename")),
              (TMarkerLook{TSortMarker::Ascending, 2}));
    EXPECT_EQ(MarkerLook(layout, FindGridColumn(layout, "title")), TMarkerLook{});
    ClickSortMarker(layout, "filename", false);
    // A single sorted column shows its arrow without a number.
    EXPECT_EQ(MarkerLook(layout, FindGridColumn(layout, "filename")),
              (TMarkerLook{TSortMarker::Descending, 0}));
}

TEST_F(SongsGridTest, ClicksOnHeadingsMarkColumnsAndAskForARefill) {
    Grid.show();
    QSignalSpy changed(&Grid, &TSongsGridView::SortMarkersChanged);
    ClickHeading("artist");
    ClickHeading("year", Qt::ControlModifier);
    ClickHeading("year", Qt::ControlModifier);
    EXPECT_EQ(changed.count(), 3);
    const std::vector<SortColumn> sort = Grid.SortColumns();
    ASSERT_EQ(sort.size(), 2u);
    EXPECT_EQ(sort[0].Field, "artist");
    EXPECT_FALSE(sort[0].Descending);
    EXPECT_EQ(sort[1].Field, "year");
    EXPECT_TRUE(sort[1].Descending);
    // The rows keep their order: the list never sorts itself.
    EXPECT_EQ(Model.index(0, LogicalOf("title")).data().toString(), "One");
    EXPECT_EQ(Grid.horizontalHeader()->isSortIndicatorShown(), false);
}

TEST_F(SongsGridTest, ShortAndFullViewsRestoreTheSavedVisibility) {
    Grid.SaveVisibilityTable();
    Grid.SetColumnVisible("filedate", false);
    Grid.ToggleColumn("album");
    EXPECT_FALSE(Grid.ColumnVisible("album"));
    Grid.ApplyGridView(false, true);
    EXPECT_EQ(ShownFields(), std::vector<std::string>{"title"});
    EXPECT_TRUE(Grid.horizontalHeader()->isHidden());
    EXPECT_FALSE(Grid.showGrid());
    // Saved in short view: the full view's columns.
    EXPECT_TRUE(Grid.LayoutForSaving().Columns[2].Visible);
    Grid.ApplyGridView(true, false);
    EXPECT_FALSE(Grid.horizontalHeader()->isHidden());
    EXPECT_EQ(ShownFields(), (std::vector<std::string>{"title", "artist", "album", "year", "music", "words",
                                                       "filename", "filesize"}));
    EXPECT_FALSE(Grid.showGrid());
    Grid.ApplyGridView(true, true);
    EXPECT_TRUE(Grid.showGrid());

    // Ninth position keeps whatever it had, in both views.
    Grid.SetColumnVisible("filedate", true);
    Grid.ApplyGridView(false, true);
    EXPECT_EQ(ShownFields(), (std::vector<std::string>{"title", "filedate"}));
}

TEST_F(SongsGridTest, LayoutSurvivesRefillsAndResultsOfOtherShapes) {
    QHeaderView* header = Grid.horizontalHeader();
    header->moveSection(header->visualIndex(LogicalOf("artist")), 0);
    header->resizeSection(LogicalOf("album"), 77);
    Grid.SetColumnVisible("music", false);
    const std::vector<std::string> catalogueFields{"artist", "title",    "album",    "year",
                                                   "words",  "filename", "filesize", "filedate"};
    EXPECT_EQ(ShownFields(), catalogueFields);
    EXPECT_EQ(Grid.GridLayout().Columns[0].Field, "artist");

    Model.SetResultSet(MemoryQuery("SELECT 'x' AS path, 1 AS id, 'y' AS TITLE, 'z' AS artist"));
    // Known columns in the layout's order, then the others; the id shows outside catalogue rows.
    EXPECT_EQ(ShownFields(), (std::vector<std::string>{"artist", "TITLE", "path", "id"}));
    Model.SetResultSet(nullptr);
    EXPECT_EQ(header->count(), 0);
    Model.SetResultSet(TabRows());
    EXPECT_EQ(ShownFields(), catalogueFields);
    EXPECT_EQ(header->sectionSize(LogicalOf("album")), 77);
}

TEST(GridLayoutTest, GridOptionsRoundTrip) {
    TTempDir dir;
    const TGridPropertyStore store(dir / "config.ini");
    std::vector<std::string> extra;
    EXPECT_EQ(LoadGridOptions(store, &extra), DefaultGridLayout());

    TGridLayout layout = DefaultGridLayout();
    std::swap(layout.Columns[0], layout.Columns[6]);
    layout.Columns[1].Width = 321;
    layout.Columns[3].Visible = false;
    ClickSortMarker(layout, "filesize", false);
    ClickSortMarker(layout, "artist", true);
    ClickSortMarker(layout, "artist", true);
    layout.EvenRowColor = 0xF0F0F0;
    layout.OddRowColor = 0x102030;
    layout.TextColor = 0x0000FF;
    SaveGridOptions(store, layout, {"PrintMargins=10,10,10,10"});
    EXPECT_EQ(LoadGridOptions(store, &extra), layout);
    EXPECT_EQ(extra, std::vector<std::string>{"PrintMargins=10,10,10,10"});

    // A stored layout without sort markers stays unsorted; damaged values and unknown fields are
    // skipped; a field missing from the lines keeps its shipped place after the stored ones.
    const TGridLayout read =
        ReadGridLayout({"Column:artist,Position=0,Width=abc,Visible=0", "Column:nosuch,Position=1",
                        "Colors:Text=ZZ,OddRow=00FF00", "Column:title,Position=1,Width=-5,SortMarker=7"});
    EXPECT_EQ(read.Columns[0].Field, "artist");
    EXPECT_EQ(read.Columns[0].Width, 150);
    EXPECT_FALSE(read.Columns[0].Visible);
    EXPECT_EQ(read.Columns[1].Field, "title");
    EXPECT_EQ(read.Columns[1].Width, 200);
    EXPECT_EQ(read.Columns[2].Field, "album");
    EXPECT_EQ(read.OddRowColor, 0x00FF00u);
    EXPECT_EQ(read.TextColor, 0u);
    EXPECT_TRUE(SortColumnsOf(read).empty());
}

TEST_F(SongsGridTest, EmptyTitlesShowUntitledOutsideSqlMode) {
    TGridLayout layout = DefaultGridLayout();
    layout.EvenRowColor = 0x00FF00;
    layout.OddRowColor = 0x0000FF;
    Grid.SetGridLayout(layout);
    TSongsCellDelegate* cells = Grid.CellDelegate();
    QStyleOptionViewItem option;
    option.palette = Grid.palette();
    const QModelIndex untitled = Model.index(1, LogicalOf("title"));
    auto look = cells->Look(option, untitled);
    EXPECT_EQ(look.Placeholder, "<untitled>");
    EXPECT_EQ(look.Text, QColor(128, 128, 128));
    EXPECT_EQ(look.Background, QColor(0x00FF00)) << "second record is even";
    EXPECT_EQ(cells->Look(option, Model.index(0, LogicalOf("title"))).Placeholder, "");
    EXPECT_EQ(cells->Look(option, Model.index(0, LogicalOf("title"))).Background, QColor(0x0000FF));
    EXPECT_EQ(cells->Look(option, Model.index(1, LogicalOf("album"))).Placeholder, "");
    Grid.SetSqlMode(true);
    EXPECT_EQ(cells->Look(option, untitled).Placeholder, "");
    Grid.SetSqlMode(false);

    Grid.show();
    QApplication::setActiveWindow(&Grid);
    Grid.setFocus();
    Grid.selectRow(1);
    option.widget = &Grid;
    option.state |= QStyle::State_Selected;
    ASSERT_TRUE(Grid.hasFocus());
    EXPECT_EQ(cells->Look(option, untitled).Background,
              Grid.palette().color(QPalette::Active, QPalette::Highlight));
    Grid.clearFocus();
    EXPECT_EQ(cells->Look(option, untitled).Background, QColor(0x00FF00)) << "selected without focus";
    EXPECT_NO_THROW(Grid.grab());
}

TEST(GridDelegatesTest, SideListsNameEmptyValuesAndCutTextsShowTooltips) {
    SetLocaleFolder(QV_BUILD_DIR "/locale");
    UseLanguage("en");
    bool onHeading = false;
    TSideListDelegate artists(TSideListDelegate::Artists, [&] { return onHeading; });
    TSideListDelegate albums(TSideListDelegate::Albums, {});
    bool placeholder = false;
    EXPECT_EQ(artists.DisplayText("", &placeholder), "<unknown artist>");
    EXPECT_TRUE(placeholder);
    EXPECT_EQ(albums.DisplayText("", &placeholder), "<unknown album>");
    EXPECT_EQ(albums.DisplayText("Ace", &placeholder), "Ace");
    EXPECT_FALSE(placeholder);

    TResultSetModel model;
    model.SetResultSet(MemoryQuery("SELECT 'A' AS artist UNION ALL SELECT ''"));
    QTableView list;
    list.setModel(&model);
    list.setItemDelegate(&artists);
    list.setCurrentIndex(model.index(1, 0));
    QStyleOptionViewItem option;
    option.widget = &list;
    option.palette = list.palette();
    const auto white = std::pair<QColor, QColor>(Qt::white, Qt::black);
    EXPECT_EQ(artists.Colors(option, model.index(0, 0)), white);
    EXPECT_EQ(artists.Colors(option, model.index(1, 0)).second,
              list.palette().color(QPalette::Active, QPalette::HighlightedText));
    onHeading = true;
    EXPECT_EQ(artists.Colors(option, model.index(1, 0)), white);
    list.setItemDelegate(nullptr);

    const QFont font;
    const QString text = "A rather long title of a song";
    const int width = QFontMetrics(font).horizontalAdvance(text);
    EXPECT_EQ(CutTextToolTip(font, text, width), "");
    EXPECT_EQ(CutTextToolTip(font, text, width - 1), text);
}

TEST_F(SongsGridTest, SelectionModeKeepsMarksAndTheWheelClearsThem) {
    Grid.show();
    Grid.setFocus();
    Grid.selectRow(0);
    Grid.selectionModel()->select(Model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(Grid.MarkedRows(), (std::vector<int>{0, 2}));

    Grid.SetSelectionMode(true);
    QTest::keyClick(&Grid, Qt::Key_Down);
    EXPECT_EQ(Grid.MarkedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(Grid.currentIndex().row(), 1);

    QWheelEvent wheel(QPointF(10, 10), Grid.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Grid.viewport(), &wheel);
    EXPECT_EQ(Grid.MarkedRows(), std::vector<int>{1});

    Grid.SetSelectionMode(false);
    Grid.selectionModel()->select(Model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&Grid, Qt::Key_Down);
    EXPECT_EQ(Grid.MarkedRows(), std::vector<int>{2});
}

} // namespace
