#include "BrowseWindow.h"

#include "app/MainForm.h"
#include "browse/QueryComposer.h"
#include "browse/SQLForm.h"
#include "browse/SongsGrid.h"

#include <sys/resource.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// The main thread's longest stretch without serving its event queue. A monitor thread posts a
// ping, waits until the main thread has handled it, rests 1 ms and posts the next; the longest
// time a ping waited is the longest the thread was held, be it by work, by a wait for a mutex or
// by the benchmark's own synthetic input, to within that 1 ms. Nested event loops serve pings.
class TBusyMeter {
public:
    TBusyMeter() : Monitor([this] { Run(); }) {}
    ~TBusyMeter() {
        {
            std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Handled.notify_one();
        Monitor.join();
    }
    // Main thread.
    void Restart() {
        std::lock_guard lock(Mutex);
        Since = TClock::now();
        Longest = 0;
    }
    double LongestMs() {
        std::lock_guard lock(Mutex);
        const double pending =
            Waiting
                ? std::chrono::duration<double, std::milli>(TClock::now() - std::max(Posted, Since)).count()
                : 0;
        return std::max(Longest, pending);
    }

private:
    void Run() {
        std::unique_lock lock(Mutex);
        while (!Stopping) {
            Posted = TClock::now();
            Waiting = true;
            QMetaObject::invokeMethod(
                &Context, [this] { Pong(); }, Qt::QueuedConnection);
            Handled.wait(lock, [this] { return !Waiting || Stopping; });
            Handled.wait_for(lock, std::chrono::milliseconds(1), [this] { return Stopping; });
        }
    }
    void Pong() {
        std::lock_guard lock(Mutex);
        const auto waited = TClock::now() - std::max(Posted, Since);
        Longest = std::max(Longest, std::chrono::duration<double, std::milli>(waited).count());
        Waiting = false;
        Handled.notify_one();
    }

    QObject Context;
    std::mutex Mutex;
    std::condition_variable Handled;
    bool Stopping = false;
    bool Waiting = false;
    TClock::time_point Posted;
    TClock::time_point Since = TClock::now();
    double Longest = 0;
    std::thread Monitor;
};

// Serves events until condition holds when the event loop is about to wait.
void RunUntil(const std::function<bool()>& condition) {
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     [&] {
                         if (condition())
                             loop.quit();
                     });
    loop.exec();
}

// Waits in the event loop, as the program does between a user's keystrokes.
void Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

enum TLists { ArtistsList = 1, AlbumsList = 2, SongsList = 4, AllLists = 7, SqlText = 8 };

class TScript {
public:
    TScript(const std::string& catalogue, std::string sqlQuery) : SqlQuery(std::move(sqlQuery)) {
        const QString config = Dir.filePath("config.ini");
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write("[Lang]\nLanguage=en\n[Main]\nDatabaseName=" + QByteArray::fromStdString(catalogue) +
                   "\n[Search]\nRealTimeSearch=1\nUseThreads=1\n");
        file.close();
        TMainForm::THooks hooks;
        hooks.RunModal = [this](QDialog& dialog) { return AnswerModal(dialog); };
        Form = std::make_unique<TMainForm>(
            SettingsFiles{config.toStdString(), Dir.filePath("default.ini").toStdString()}, hooks);
        Artists = Form->findChild<QTableView*>("ArtistsGrid");
        Albums = Form->findChild<QTableView*>("AlbumsGrid");
        Songs = Form->findChild<TSongsGridView*>();
        Search = Form->findChild<QLineEdit*>("SearchEditBox");
    }
    ~TScript() { Form->close(); }

    std::vector<TStepFigures> Run() {
        Step("open", AllLists, [this] {
            Form->show();
            RunUntil([this] { return Form->Browse.CatalogueOpen; });
        });
        Step("choose artist", AlbumsList | SongsList, [this] { ClickRow(Artists, 5); });
        Step("choose album", SongsList, [this] { ClickRow(Albums, 2); });
        Step("type search", AllLists, [this] { Type("storm"); });
        Step("clear search", AllLists, [this] {
            QTest::keyClick(Search, Qt::Key_A, Qt::ControlModifier);
            Pause(KeyGapMs);
            StartStep();
            QTest::keyClick(Search, Qt::Key_Delete);
        });
        Step("SQL query", SqlText, [this] { Form->Action("ASQLQuery")->trigger(); });
        // The SQL window's query runs on the main thread while the tablature worker runs the
        // search that the key started: OK comes as the albums list shows the search's albums.
        // The worker's result, taken before the SQL query, is then dropped.
        Step("SQL in search", SqlText | AllLists, [this] {
            bool albumsShown = false;
            QObject watch;
            QObject::connect(Albums->model(), &QAbstractItemModel::modelReset, &watch,
                             [&albumsShown] { albumsShown = true; });
            QTest::keyClick(Search, Qt::Key_A);
            RunUntil([&albumsShown] { return albumsShown; });
            Form->Action("ASQLQuery")->trigger();
        });
        return Figures;
    }

private:
    static constexpr int KeyGapMs = 120;

    // input gives the step's inputs and calls StartStep before the last one, unless that is its
    // first action; the step ends when the workers are idle and the event loop has nothing left.
    void Step(const char* name, int lists, const std::function<void()>& input) {
        TStepFigures step;
        step.Name = name;
        StartStep();
        input();
        Form->WaitForQueryThreads();
        RunUntil([] { return true; });
        step.Seconds = MsSince(Start) / 1000;
        step.LongestBusyMs = Meter.LongestMs();
        step.PeakMiB = PeakMiB();
        step.Artists = Artists->model()->rowCount();
        step.Albums = Albums->model()->rowCount();
        step.Tabs = Songs->model()->rowCount();
        step.Sql = ComposedTexts(lists);
        step.Note = std::exchange(Note, {});
        Figures.push_back(std::move(step));
    }
    void StartStep() {
        Start = TClock::now();
        Meter.Restart();
    }

    // Clicks the row, or the first when that row is not in view.
    void ClickRow(QTableView* grid, int row) {
        QRect rect = grid->visualRect(grid->model()->index(row, 0));
        if (!rect.isValid() || !grid->viewport()->rect().contains(rect.center()))
            rect = grid->visualRect(grid->model()->index(0, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void Type(const QString& text) {
        QTest::mouseClick(Search, Qt::LeftButton);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (i + 1 == text.size())
                StartStep();
            QTest::keyClick(Search, text[i].toLatin1());
            if (i + 1 < text.size())
                Pause(KeyGapMs);
        }
        if (!Form->Browse.SearchMode)
            Note = "no search mode";
    }

    int AnswerModal(QDialog& dialog) {
        if (auto* sql = qobject_cast<TSQLForm*>(&dialog)) {
            sql->Editor()->setPlainText(QString::fromStdString(SqlQuery));
            StartStep();
            return QDialog::Accepted;
        }
        Note = "unexpected window " + dialog.objectName().toStdString();
        return QDialog::Rejected;
    }

    std::string CurrentValue(const QTableView* grid) const {
        const QModelIndex current = grid->currentIndex();
        return current.isValid() ? grid->model()->index(current.row(), 0).data().toString().toStdString()
                                 : "";
    }

    std::vector<std::string> ComposedTexts(int lists) const {
        std::vector<std::string> texts;
        if (lists & SqlText)
            texts.push_back(SqlQuery);
        if (Form->Browse.SQLMode)
            return texts;
        BrowseInput in;
        in.ArtistsSortDirection = Form->Settings.Main.ArtistsSortDirection;
        in.AlbumsSortDirection = Form->Settings.Main.AlbumsSortDirection;
        in.SortColumns = Songs->SortColumns();
        in.AllArtists = Form->Browse.AllArtists;
        in.AllAlbums = Form->Browse.AllAlbums;
        in.Artist = CurrentValue(Artists);
        in.Album = CurrentValue(Albums);
        in.SearchText = Search->text().toStdString();
        in.SearchField = Form->findChild<QComboBox*>("SearchComboBox")->currentIndex();
        in.SearchCompareMode = Form->Settings.Search.SearchCompareMode;
        in.FileNameSearch = Form->Settings.Search.FileNameSearch;
        const bool search = Form->Browse.SearchMode;
        if (lists & ArtistsList)
            texts.push_back(search ? ArtistsSearchSQL(in) : ArtistsBrowseSQL(in));
        if (lists & AlbumsList)
            texts.push_back(search ? AlbumsSearchSQL(in) : AlbumsBrowseSQL(in));
        if (lists & SongsList)
            texts.push_back(search ? SongsSearchSQL(in) : SongsBrowseSQL(in));
        return texts;
    }

    QTemporaryDir Dir;
    std::string SqlQuery;
    std::unique_ptr<TMainForm> Form;
    QTableView* Artists = nullptr;
    QTableView* Albums = nullptr;
    TSongsGridView* Songs = nullptr;
    QLineEdit* Search = nullptr;
    TBusyMeter Meter;
    TClock::time_point Start;
    std::string Note;
    std::vector<TStepFigures> Figures;
};

} // namespace

std::vector<TStepFigures> RunBrowseScript(const std::string& catalogue, const std::string& sqlQuery) {
    TScript script(catalogue, sqlQuery);
    return script.Run();
}
