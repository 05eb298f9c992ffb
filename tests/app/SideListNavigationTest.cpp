#include "MainFormTestSupport.h"
#include "browse/GridDelegates.h"
#include "browse/SQLForm.h"

#include <QAction>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QWheelEvent>

// The artists and albums lists driven by mouse, keys, wheel and their scroll bars.

namespace {

enum TList { Artists, Albums };
enum TMode { Browsing, Search, Sql, Folder };
// Click: left press and release. Press: right press and release, which is no click.
enum TEvent { None, Click, Press, DoubleClick, Key, Wheel, BarLineUp, BarLineDown, BarPageDown, BarThumb };
constexpr int Heading = -1;

// Artists descending: Gamma, Beta, Alpha, the nameless one. Albums ascending: A1 B1 B2 G1 U1.
constexpr const char* Tablatures = "INSERT INTO tablatures(title, artist, album, filename) VALUES"
                                   "('T1', 'Beta', 'B1', '/m/b/1.gp5'), ('T2', 'Beta', 'B2', '/m/b/2.gp5'),"
                                   "('T3', 'Alpha', 'A1', '/m/a/3.gp5'), ('T4', '', 'U1', '/m/u/4.gp5'), "
                                   "('T5', 'Gamma', 'G1', '/m/g/5.gp5');";
constexpr const char* SearchText = "a"; // every artist and album but the nameless one's
constexpr const char* FolderPath = "/m/b";

struct TBefore {
    bool AllArtists = true;
    bool AllAlbums = true;
    int ArtistRow = 0;
    int AlbumRow = 0;
    TMode Mode = Browsing;
};

struct TAfter {
    bool AllArtists;
    bool AllAlbums;
    TMode Mode;
    const char* Artist; // the lists' current values
    const char* Album;
    const char* Info;
    int Tabs; // rows of the tablature list
    const char* Caption = "Albums";
};

struct TCase {
    const char* Name;
    TList List;
    TEvent Event;
    int Arg; // row or Heading, key, wheel delta, thumb position
    TBefore Before;
    TAfter After;
};

const TBefore Opened{};
const TBefore OnGamma{false, true, 0, 0};
const TBefore OnBeta{false, true, 1, 0};
const TBefore OnBetaB1{false, false, 1, 0};

// clang-format off
const TCase Cases[] = {
    {"opening with no mode", Artists, None, 0, Opened,
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"Up on the first artist", Artists, Key, Qt::Key_Up, OnGamma,
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"Up elsewhere moves up", Artists, Key, Qt::Key_Up, OnBeta,
     {false, true, Browsing, "Gamma", "G1", "Gamma", 1, "Albums (Gamma)"}},
    {"Down on the heading stays on the first artist", Artists, Key, Qt::Key_Down, Opened,
     {false, true, Browsing, "Gamma", "G1", "Gamma", 1, "Albums (Gamma)"}},
    {"Page Down on the heading", Artists, Key, Qt::Key_PageDown, Opened,
     {false, true, Browsing, "Gamma", "G1", "Gamma", 1, "Albums (Gamma)"}},
    {"a letter on the heading leaves it", Artists, Key, Qt::Key_B, Opened,
     {false, true, Browsing, "Beta", "B1", "Beta", 2, "Albums (Beta)"}},
    {"Shift on the heading", Artists, Key, Qt::Key_Shift, Opened,
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"click on an artist", Artists, Click, 2, Opened,
     {false, true, Browsing, "Alpha", "A1", "Alpha", 1, "Albums (Alpha)"}},
    {"artist without a name", Artists, Click, 3, Opened,
     {false, true, Browsing, "", "U1", "unknown artist", 1, "Albums (unknown artist)"}},
    {"any button on the heading", Artists, Press, Heading, OnBeta,
     {true, true, Browsing, "Beta", "A1", "", 5}},
    {"artist and album", Albums, Click, 1, OnBeta,
     {false, false, Browsing, "Beta", "B2", "Beta > B2", 1, "Albums (Beta)"}},
    {"album without artist", Albums, Click, 2, Opened,
     {true, false, Browsing, "Gamma", "B2", "B2", 1}},
    {"albums heading", Albums, Click, Heading, {false, false, 1, 1},
     {false, true, Browsing, "Beta", "B2", "Beta", 2, "Albums (Beta)"}},
    {"Up on the first album", Albums, Key, Qt::Key_Up, OnBetaB1,
     {false, true, Browsing, "Beta", "B1", "Beta", 2, "Albums (Beta)"}},
    {"Down on the albums heading", Albums, Key, Qt::Key_Down, OnBeta,
     {false, false, Browsing, "Beta", "B1", "Beta > B1", 1, "Albums (Beta)"}},
    {"wheel up on the first artist", Artists, Wheel, 120, OnGamma,
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"wheel down on the heading", Artists, Wheel, -120, Opened,
     {false, true, Browsing, "Gamma", "G1", "Gamma", 1, "Albums (Gamma)"}},
    {"wheel up to the artists heading ends folder mode", Artists, Wheel, 120, {false, true, 0, 0, Folder},
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"wheel up to the albums heading keeps it", Albums, Wheel, 120, {false, false, 1, 0, Folder},
     {false, true, Folder, "Beta", "B1", FolderPath, 2, "Albums (Beta)"}},
    {"bar line up on the first artist keeps the album choice", Artists, BarLineUp, 0, {false, false, 0, 0},
     {true, false, Browsing, "Gamma", "A1", "A1", 1}},
    {"bar line up on the first album", Albums, BarLineUp, 0, OnBetaB1,
     {false, true, Browsing, "Beta", "B1", "Beta", 2, "Albums (Beta)"}},
    {"bar line down from the heading", Artists, BarLineDown, 0, Opened,
     {false, true, Browsing, "Beta", "B1", "Beta", 2, "Albums (Beta)"}},
    {"bar line down", Artists, BarLineDown, 0, OnBeta,
     {false, true, Browsing, "Alpha", "A1", "Alpha", 1, "Albums (Alpha)"}},
    {"bar page down from the heading", Artists, BarPageDown, 0, Opened,
     {false, true, Browsing, "", "U1", "unknown artist", 1, "Albums (unknown artist)"}},
    {"thumb down from the heading", Artists, BarThumb, 2, Opened,
     {false, true, Browsing, "Alpha", "A1", "Alpha", 1, "Albums (Alpha)"}},
    {"thumb to the top on the heading", Artists, BarThumb, 0, {true, true, 1, 0},
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"a press on a cell leaves SQL mode", Artists, Press, 1, {false, true, 1, 0, Sql},
     {false, true, Browsing, "Beta", "B1", "Beta", 2, "Albums (Beta)"}},
    {"a click on the heading leaves folder mode", Artists, Click, Heading, {true, true, 0, 0, Folder},
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"double click on a found artist", Artists, DoubleClick, 1, {true, true, 0, 0, Search},
     {false, true, Browsing, "Beta", "B1", "Beta", 2, "Albums (Beta)"}},
    {"double click on a found album", Albums, DoubleClick, 2, {true, true, 0, 0, Search},
     {true, false, Browsing, "Gamma", "B2", "B2", 1}},
    {"double click on the heading of found artists", Artists, DoubleClick, Heading, {false, true, 1, 0, Search},
     {true, true, Browsing, "Gamma", "A1", "", 5}},
    {"a click on a found artist", Artists, Click, 1, {true, true, 0, 0, Search},
     {false, true, Search, "Beta", "B1", "Search Results (a)", 2, "Albums (Beta)"}},
};
// clang-format on

class SideListNavigationTest : public TMainFormFixture, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        TMainFormFixture::SetUp();
        MakeCatalogue(Dir / "nav.db3", 3, "3", Tablatures);
        Hooks.RunModal = [](QDialog& dialog) {
            if (auto* sql = qobject_cast<TSQLForm*>(&dialog))
                sql->Editor()->setPlainText("SELECT * FROM tablatures WHERE album = 'B2'");
            return int(QDialog::Accepted);
        };
    }

    std::unique_ptr<TMainForm> Start() {
        auto form = Show(Config(Dir / "nav.db3") + "ArtistsSortDirection=0\n[Search]\nRealTimeSearch=0\n" +
                         "UseThreads=" + (GetParam() ? "1" : "0") + "\n");
        form->WaitForQueryThreads();
        return form;
    }
};

QTableView* Grid(const TMainForm& form, TList list) {
    return Child<QTableView>(form, list == Artists ? "ArtistsGrid" : "AlbumsGrid");
}

QScrollBar* Bar(const TMainForm& form, TList list) {
    return Child<QScrollBar>(form, list == Artists ? "ArtistsScrollBar" : "AlbumsScrollBar");
}

std::string CurrentValue(const QTableView* grid) {
    return grid->currentIndex().data().toString().toStdString();
}

// The widget and point that a mouse event on a row or on the heading goes to.
std::pair<QWidget*, QPoint> Target(QTableView* grid, int row) {
    if (row == Heading)
        return {grid->horizontalHeader()->viewport(), grid->horizontalHeader()->viewport()->rect().center()};
    return {grid->viewport(), grid->visualRect(grid->model()->index(row, 0)).center()};
}

// The centre of one part of the bar as its style lays it out.
QPoint BarPart(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

void TurnWheel(QWidget* viewport, int delta) {
    const QPoint at = viewport->rect().center();
    QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

void SetRow(QTableView* grid, int row) {
    grid->setCurrentIndex(grid->model()->index(row, 0));
}

// Builds the state before the event the way the window's own refills would.
void Prepare(TMainForm& form, const TBefore& before) {
    TBrowseState& browse = form.Browse;
    if (before.Mode == Search) {
        Child<QLineEdit>(form, "SearchEditBox")->setText(SearchText);
        browse.SearchMode = true;
        form.RequeryArtists();
        form.WaitForQueryThreads();
    }
    browse.AllArtists = before.AllArtists;
    SetRow(Grid(form, Artists), before.ArtistRow);
    browse.AllAlbums = true;
    form.RequeryAlbums();
    form.WaitForQueryThreads();
    browse.AllAlbums = before.AllAlbums;
    SetRow(Grid(form, Albums), before.AlbumRow);
    form.RequerySongs();
    form.UpdateInfoLabel();
    form.WaitForQueryThreads();
    if (before.Mode == Sql)
        form.Action("ASQLQuery")->trigger();
    if (before.Mode == Folder) {
        browse.FolderMode = true;
        browse.FolderPath = FolderPath;
        form.RequerySongs();
        form.UpdateInfoLabel();
    }
    form.WaitForQueryThreads();
}

void Act(TMainForm& form, const TCase& c) {
    QTableView* grid = Grid(form, c.List);
    QScrollBar* bar = Bar(form, c.List);
    const auto [widget, at] = Target(grid, c.Arg);
    switch (c.Event) {
    case None:
        break;
    case Click:
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        break;
    case Press:
        QTest::mouseClick(widget, Qt::RightButton, {}, at);
        break;
    case DoubleClick:
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
        break;
    case Key:
        QTest::keyClick(grid, Qt::Key(c.Arg));
        break;
    case Wheel:
        TurnWheel(grid->viewport(), c.Arg);
        break;
    case BarLineUp:
        QTest::mouseClick(bar, Qt::LeftButton, {}, BarPart(bar, QStyle::SC_ScrollBarSubLine));
        break;
    case BarLineDown:
        QTest::mouseClick(bar, Qt::LeftButton, {}, BarPart(bar, QStyle::SC_ScrollBarAddLine));
        break;
    case BarPageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case BarThumb:
        bar->setSliderPosition(c.Arg);
        break;
    }
    form.WaitForQueryThreads();
}

TEST_P(SideListNavigationTest, EventsOnTheSideListsChangeTheChoiceModesAndInfoLine) {
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        const auto form = Start();
        Prepare(*form, c.Before);
        Act(*form, c);
        const TAfter& after = c.After;
        const TBrowseState& browse = form->Browse;
        EXPECT_EQ(browse.AllArtists, after.AllArtists);
        EXPECT_EQ(browse.AllAlbums, after.AllAlbums);
        EXPECT_EQ(browse.SearchMode, after.Mode == Search);
        EXPECT_EQ(browse.SQLMode, after.Mode == Sql);
        EXPECT_EQ(browse.FolderMode, after.Mode == Folder);
        EXPECT_EQ(CurrentValue(Grid(*form, Artists)), after.Artist);
        EXPECT_EQ(CurrentValue(Grid(*form, Albums)), after.Album);
        EXPECT_EQ(Child<QLabel>(*form, "SongsInfoLabel")->text().toStdString(), after.Info);
        EXPECT_EQ(Child<QDockWidget>(*form, "AlbumsPanel")->windowTitle().toStdString(), after.Caption);
        EXPECT_EQ(Child<QTableView>(*form, "SongsGrid")->model()->rowCount(), after.Tabs);
        // Each bar stands for its list's rows and current row.
        for (const TList list : {Artists, Albums}) {
            EXPECT_EQ(Bar(*form, list)->maximum(), Grid(*form, list)->model()->rowCount() - 1);
            EXPECT_EQ(Bar(*form, list)->value(), Grid(*form, list)->currentIndex().row());
        }
        if (c.Before.Mode == Search && after.Mode == Browsing) {
            EXPECT_EQ(Grid(*form, Artists)->model()->rowCount(), 4);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(InPlaceAndWithWorkers, SideListNavigationTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Workers" : "InPlace";
                         });

// Background and text of the list's heading, and of its current row as the delegate paints it.
struct TLook {
    QColor Heading;
    QColor Row;
};

TLook Look(QTableView* grid) {
    QStyleOptionViewItem option;
    option.widget = grid;
    const auto* delegate = qobject_cast<TSideListDelegate*>(grid->itemDelegate());
    return {grid->model()->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
            delegate->Colors(option, grid->currentIndex()).first};
}

TEST_P(SideListNavigationTest, TheChosenHeadingIsHighlightedInsteadOfTheRowAndGreyWithoutFocus) {
    const auto form = Start();
    QApplication::setActiveWindow(form.get());
    QTableView* artists = Grid(*form, Artists);
    const QPalette& palette = artists->palette();
    const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor workspace = palette.color(QPalette::Active, QPalette::Mid);
    artists->setFocus();
    ASSERT_TRUE(artists->hasFocus());
    EXPECT_EQ(Look(artists).Heading, highlight);
    EXPECT_EQ(Look(artists).Row, QColor(Qt::white));
    EXPECT_EQ(artists->model()->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(),
              palette.color(QPalette::Active, QPalette::HighlightedText));

    QTest::keyClick(artists, Qt::Key_Down);
    form->WaitForQueryThreads();
    EXPECT_EQ(Look(artists).Heading, QColor(Qt::white));
    EXPECT_EQ(Look(artists).Row, highlight);

    QTest::keyClick(artists, Qt::Key_Up);
    form->WaitForQueryThreads();
    EXPECT_EQ(Look(artists).Heading, highlight);
    EXPECT_EQ(Look(artists).Row, QColor(Qt::white));

    Grid(*form, Albums)->setFocus();
    EXPECT_EQ(Look(artists).Heading, workspace);
    EXPECT_EQ(Look(Grid(*form, Albums)).Heading, highlight);
}

} // namespace
