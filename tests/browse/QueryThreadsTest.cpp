#include "browse/QueryThreads.h"

#include "catalogue/DatabaseError.h"
#include "catalogue/Sqlite.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

using TTexts = std::vector<std::string>;

// The SQL function gate(x) returns x once the test opens the gate, so that "a query is running"
// is a state the test holds for as long as it likes.
class TGate {
public:
    void Enter() {
        std::unique_lock lock(Mutex);
        ++Entered;
        // Wakes the main thread if it waits for this in its event loop.
        QMetaObject::invokeMethod(
            qApp, [] {}, Qt::QueuedConnection);
        Changed.wait(lock, [&] { return IsOpen; });
    }
    void Open() {
        std::lock_guard lock(Mutex);
        IsOpen = true;
        Changed.notify_all();
    }
    int EnteredCount() {
        std::lock_guard lock(Mutex);
        return Entered;
    }

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    int Entered = 0;
    bool IsOpen = false;
};

void GateFunction(sqlite3_context* context, int, sqlite3_value** args) {
    static_cast<TGate*>(sqlite3_user_data(context))->Enter();
    sqlite3_result_value(context, args[0]);
}

// Records the first value of every result attached, and the first-row target as it stood then.
class TTarget : public IQueryTarget {
public:
    void Attach(std::shared_ptr<const TResultSet> rows) override {
        FirstRowAtAttach.push_back(FirstRow ? *FirstRow : "");
        Attached.push_back(rows->FirstValue().value_or("<no columns>"));
        if (OnAttach)
            OnAttach(Attached.back());
    }
    std::string* FirstRow = nullptr;
    std::function<void(const std::string&)> OnAttach;
    TTexts Attached;
    TTexts FirstRowAtAttach;
};

// Serves events until done() holds; every change that done() looks at comes with an event.
template <typename Done> void ServeUntil(Done done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void Wait(std::initializer_list<TQThreadManager*> managers) {
    WaitUntilIdle(std::span(managers.begin(), managers.size()));
}

class QueryThreads : public testing::Test {
protected:
    void SetUp() override {
        for (TSqlConnection* db : {&Db, &MainDb})
            ASSERT_TRUE(
                db->Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX));
        ASSERT_EQ(sqlite3_create_function(Db.Handle(), "gate", 1, SQLITE_UTF8, &Gate, GateFunction, nullptr,
                                          nullptr),
                  SQLITE_OK);
        ASSERT_TRUE(Db.Exec("CREATE TABLE empty(a);"));
    }

    // Workers share Db, as the lists share the catalogue connection. Refills in place on the main
    // thread read MainDb, so that they need not wait for a gated query holding Db.
    TQueryRunner Runner() {
        return [this](const std::string& sql) {
            const bool main = QThread::currentThread() == qApp->thread();
            {
                std::lock_guard lock(Mutex);
                Executed.push_back(sql);
            }
            return RunQuery(main ? MainDb : Db, sql);
        };
    }
    TTexts ExecutedSql() {
        std::lock_guard lock(Mutex);
        return Executed;
    }
    void WaitForGate(int entered) {
        ServeUntil([&] { return Gate.EnteredCount() == entered; });
    }

    TSqlConnection Db;
    TSqlConnection MainDb;
    TGate Gate;
    std::mutex Mutex;
    TTexts Executed;
};

// Texts posted while a query runs: only the newest runs after it; each result is attached before
// its first value reaches the first-row target.
TEST_F(QueryThreads, RunsOnlyTheNewestTextPostedMeanwhile) {
    TTarget target;
    std::string first = "before";
    target.FirstRow = &first;
    TQThreadManager manager(target, Runner(), &first);
    EXPECT_TRUE(manager.IsIdle());

    manager.Post("SELECT gate('one')");
    WaitForGate(1);
    for (const char* sql : {"SELECT 'two'", "SELECT 'three'", "SELECT 'four', 'x'"})
        manager.Post(sql);
    EXPECT_FALSE(manager.IsIdle());
    Gate.Open();
    Wait({&manager});

    EXPECT_EQ(ExecutedSql(), (TTexts{"SELECT gate('one')", "SELECT 'four', 'x'"}));
    EXPECT_EQ(target.Attached, (TTexts{"one", "four"}));
    EXPECT_EQ(target.FirstRowAtAttach, (TTexts{"before", "one"}));
    EXPECT_EQ(first, "four");

    // No rows give an empty first value; no columns leave it alone.
    manager.Post("SELECT 'x' WHERE 0");
    Wait({&manager});
    EXPECT_EQ(first, "");
    first = "kept";
    manager.Post("DELETE FROM empty");
    Wait({&manager});
    EXPECT_EQ(target.Attached.back(), "<no columns>");
    EXPECT_EQ(first, "kept");
}

// A failing query, or a failing attach, returns the worker to idle, keeps the list's rows and is
// reported; the worker then runs the next text as usual.
TEST_F(QueryThreads, AFailureIsReportedAndKeepsThePreviousRows) {
    TTarget target;
    std::string first;
    target.OnAttach = [](const std::string& value) {
        if (value == "boom")
            throw std::runtime_error("cannot show boom");
    };
    TQThreadManager manager(target, Runner(), &first);
    TTexts failures;
    manager.SetFailureHandler([&](const std::string& message) { failures.push_back(message); });

    manager.Post("SELECT 'good'");
    Wait({&manager});
    manager.Post("SELECT nosuch");
    Wait({&manager});
    EXPECT_TRUE(manager.IsIdle());
    EXPECT_EQ(target.Attached, (TTexts{"good"}));
    EXPECT_EQ(first, "good");

    manager.Post("SELECT 'boom'");
    Wait({&manager});
    manager.Post("SELECT 'again'");
    Wait({&manager});
    EXPECT_EQ(failures, (TTexts{"no such column: nosuch", "cannot show boom"}));
    EXPECT_EQ(target.Attached, (TTexts{"good", "boom", "again"}));
    EXPECT_EQ(first, "again");
}

// A refill in place drops the pending text, and the result of a query taken before it is not
// attached over the newer rows.
TEST_F(QueryThreads, ARefillInPlaceSupersedesOlderWorkerResults) {
    TTarget target;
    std::string first;
    TQThreadManager manager(target, Runner(), &first);
    TTexts failures;
    manager.SetFailureHandler([&](const std::string& message) { failures.push_back(message); });

    manager.Post("SELECT gate('worker')");
    WaitForGate(1);
    manager.Post("SELECT 'pending'");
    manager.RefillInPlace("SELECT 'in place'");
    EXPECT_EQ(target.Attached, (TTexts{"in place"}));
    EXPECT_EQ(first, "in place");
    Gate.Open();
    Wait({&manager});
    EXPECT_EQ(target.Attached, (TTexts{"in place"}));
    EXPECT_EQ(first, "in place");
    EXPECT_EQ(ExecutedSql(), (TTexts{"SELECT gate('worker')", "SELECT 'in place'"}));

    manager.Post("SELECT 'later'");
    Wait({&manager});
    EXPECT_EQ(target.Attached, (TTexts{"in place", "later"}));

    // A failing refill in place reaches the caller and leaves the rows.
    EXPECT_THROW(manager.RefillInPlace("SELECT nosuch"), EDatabaseError);
    EXPECT_EQ(target.Attached, (TTexts{"in place", "later"}));
    EXPECT_TRUE(failures.empty());
}

// With an in-place runner of its own, a refill in place reads through it and not through the
// worker's, whose connection a running query holds.
TEST_F(QueryThreads, RefillsInPlaceUseTheirOwnRunner) {
    TTarget target;
    const auto onMain = [] { return QThread::currentThread() == qApp->thread(); };
    TQThreadManager manager(target, [&](const std::string& sql) {
        EXPECT_FALSE(onMain()) << sql;
        return RunQuery(onMain() ? MainDb : Db, sql);
    });
    TTexts inPlace;
    manager.SetInPlaceRunner([&](const std::string& sql) {
        EXPECT_TRUE(onMain()) << sql;
        inPlace.push_back(sql);
        return RunQuery(MainDb, sql);
    });

    manager.Post("SELECT gate('worker')");
    WaitForGate(1);
    manager.RefillInPlace("SELECT 'in place'");
    EXPECT_EQ(target.Attached, (TTexts{"in place"}));
    Gate.Open();
    Wait({&manager});
    manager.Post("SELECT 'worker again'");
    Wait({&manager});
    EXPECT_EQ(target.Attached, (TTexts{"in place", "worker again"}));
    EXPECT_EQ(inPlace, (TTexts{"SELECT 'in place'"}));
}

// Stopping while a query runs lets it finish and be attached; nothing newer runs, not even what
// the attach posts to another stopping list. The main thread serves the hand-over meanwhile.
TEST_F(QueryThreads, StoppingLetsTheRunningQueryFinish) {
    TTarget artists, albums;
    auto artistsManager = std::make_unique<TQThreadManager>(artists, Runner());
    auto albumsManager = std::make_unique<TQThreadManager>(albums, Runner());
    artists.OnAttach = [&](const std::string&) { albumsManager->Post("SELECT 'albums'"); };

    artistsManager->Post("SELECT gate('long')");
    WaitForGate(1);
    artistsManager->Post("SELECT 'newer'");
    bool stoppingWhenReleased = false;
    TQThreadManager* raw = artistsManager.get();
    // Queued now, so it runs while the stop below serves events.
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            stoppingWhenReleased = raw->IsStopping();
            Gate.Open();
        },
        Qt::QueuedConnection);
    TQThreadManager* managers[] = {artistsManager.get(), albumsManager.get()};
    StopAll(managers);

    EXPECT_TRUE(stoppingWhenReleased);
    EXPECT_EQ(artists.Attached, (TTexts{"long"}));
    EXPECT_TRUE(albums.Attached.empty());
    EXPECT_EQ(ExecutedSql(), (TTexts{"SELECT gate('long')"}));
    artistsManager.reset();
    albumsManager.reset();
}

// Each text is posted the moment the worker has found nothing pending, before it goes to sleep:
// every one must still run. Three chained lists share one connection, as the window's do, and
// waiting for idle includes the refills that attaching causes.
TEST_F(QueryThreads, NoPostIsLostAndChainsRunToTheEnd) {
    TTarget artists, albums, songs;
    std::string firstArtist, firstAlbum;
    TQThreadManager artistsManager(artists, Runner(), &firstArtist);
    TQThreadManager albumsManager(albums, Runner(), &firstAlbum);
    TQThreadManager songsManager(songs, Runner());
    artists.OnAttach = [&](const std::string& v) { albumsManager.Post("SELECT '" + v + "'"); };
    albums.OnAttach = [&](const std::string& v) { songsManager.Post("SELECT '" + v + "', 1, 2"); };

    const int count = 2000;
    for (int i = 0; i < count; ++i) {
        artistsManager.Post("SELECT '" + std::to_string(i) + "'");
        ServeUntil([&] { return artistsManager.IsIdle(); });
    }
    Wait({&artistsManager, &albumsManager, &songsManager});

    ASSERT_EQ(artists.Attached.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(artists.Attached[i], std::to_string(i));
    const std::string last = std::to_string(count - 1);
    EXPECT_EQ(albums.Attached.back(), last);
    EXPECT_EQ(songs.Attached.back(), last);
    EXPECT_EQ(firstArtist, last);
    EXPECT_EQ(firstAlbum, last);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
