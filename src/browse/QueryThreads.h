#pragma once

#include "browse/ResultSet.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

// The list side of a query worker: shows the rows handed to it. Called on the main thread.
class IQueryTarget {
public:
    virtual void Attach(std::shared_ptr<const TResultSet> rows) = 0;

protected:
    ~IQueryTarget() = default;
};

// Runs one SQL text to a finished result, or throws. Called on the worker thread, and on the main
// thread for refills in place.
using TQueryRunner = std::function<std::shared_ptr<const TResultSet>(const std::string& sql)>;
// Told the message of a worker's query that failed; the list keeps its rows. Main thread.
using TQueryFailure = std::function<void(const std::string& message)>;

class TQThread;

// The main-thread side of one list's query worker. Post hands over an SQL text; the worker runs it
// off the main thread and the result is attached to the list on the main thread, followed by its
// first value into the first-row target. Only the newest text posted while a query runs is run
// next, and a running query is never interrupted.
//
// Thread safety: every member is for the main thread, the thread that created the manager and runs
// its event loop. The worker asks for a text and hands its result over by blocking calls onto that
// thread, so the pending text, the idle flag and the target need no lock; only the wake-up and the
// stop request cross threads. A main-thread loop that waits for workers must keep serving events,
// as WaitUntilIdle and the destructor do, so a manager must be stopped while the application
// object still exists. The runner must be safe to call from the worker while the main thread runs
// the in-place runner; the two should read through connections of their own, so that neither
// waits for the other's query.
class TQThreadManager {
public:
    // firstRowTarget, when given, must outlive the manager.
    TQThreadManager(IQueryTarget& target, TQueryRunner runner, std::string* firstRowTarget = nullptr);
    // Stops the worker: lets a running query finish and be attached, runs nothing newer.
    ~TQThreadManager();
    TQThreadManager(const TQThreadManager&) = delete;
    TQThreadManager& operator=(const TQThreadManager&) = delete;

    void SetFailureHandler(TQueryFailure onFailure) { OnFailure = std::move(onFailure); }
    // Runs the refills in place on the main thread; the worker's runner when none is set.
    void SetInPlaceRunner(TQueryRunner runner) { InPlaceRunner = std::move(runner); }

    // Makes sql the text run next, dropping an older one not yet taken. An empty text only drops.
    // Ignored once the manager is stopping.
    void Post(std::string sql);
    // Idle: nothing pending and no query running or waiting to be attached.
    bool IsIdle() const { return Idle; }

    // Refills the list at once on this thread: drops the pending text, runs sql with the in-place
    // runner and attaches the result; the runner's exceptions reach the caller and leave the list
    // as it was. A worker result taken before this call is no longer attached.
    void RefillInPlace(const std::string& sql);
    // For rows given to the target by other means: drops the pending text, and the result of a
    // query taken before this call is no longer attached.
    void NoteInPlaceRefill();

    // Asks the worker to end after its current cycle, without waiting; nothing newer runs.
    void Stop();
    bool IsStopping() const { return Stopping; }
    // Serves events (user input excepted) until the stopped worker has ended, then joins it.
    void WaitFinished();

private:
    friend class TQThread;
    struct TCycle {
        std::string Sql;
        uint64_t Generation = 0;
        std::shared_ptr<const TResultSet> Rows;
        std::string Error;
        bool Taken = false;
        bool Failed = false;
    };

    // The two hand-over steps, run on the main thread while the worker waits.
    void Take(TCycle& cycle);
    void HandOver(TCycle& cycle);
    void Deliver(std::shared_ptr<const TResultSet> rows);
    void ReportFailure(const std::string& message);

    IQueryTarget& Target;
    TQueryRunner Runner;
    TQueryRunner InPlaceRunner;
    std::string* FirstRowTarget;
    TQueryFailure OnFailure;
    std::string PendingText;
    // Counts refills in place; a worker result taken under an older count is dropped.
    uint64_t Generation = 0;
    bool Idle = true;
    bool Stopping = false;
    QObject MainThreadContext;
    std::unique_ptr<TQThread> Worker;
};

// Serves events until every manager is idle, the chains of refills they cause included. Never call
// it from a hand-over step (an attach or a failure handler): the worker handing over would wait for
// the caller, who waits for it.
void WaitUntilIdle(std::span<TQThreadManager* const> managers);
// Stops all managers first and then waits for each, so that a result attached during the wait
// starts no query on a manager still to be waited for.
void StopAll(std::span<TQThreadManager* const> managers);
