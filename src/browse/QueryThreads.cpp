#include "browse/QueryThreads.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

#ifdef __linux__
#include <cerrno>
#include <sys/resource.h>
#endif

// The worker of one manager. It sleeps until woken, then repeats cycles until one finds nothing
// pending: take the text (main thread), run it (here), hand the result over (main thread).
class TQThread {
public:
    explicit TQThread(TQThreadManager& owner) : Owner(owner), Thread(QThread::create([this] { Run(); })) {
        Thread->setObjectName("Query worker");
        Thread->start(QThread::LowPriority);
    }
    TQThread(const TQThread&) = delete;
    TQThread& operator=(const TQThread&) = delete;

    void Wake() {
        std::lock_guard lock(Mutex);
        Woken = true;
        WakeUp.notify_one();
    }
    void RequestStop() {
        std::lock_guard lock(Mutex);
        StopRequested = true;
        WakeUp.notify_one();
    }
    bool HasExited() const { return Exited; }
    void Join() { Thread->wait(); }

private:
    void Run();
    bool WaitForWake();
    void Execute(TQThreadManager::TCycle& cycle);
    template <typename Step> void OnMainThread(Step step) {
        QMetaObject::invokeMethod(&Owner.MainThreadContext, step, Qt::BlockingQueuedConnection);
    }

    TQThreadManager& Owner;
    std::mutex Mutex;
    std::condition_variable WakeUp;
    bool Woken = false;
    std::atomic<bool> StopRequested = false;
    std::atomic<bool> Exited = false;
    std::unique_ptr<QThread> Thread;
};

namespace {

void LowerPriority() {
#ifdef __linux__
    // Qt's thread priorities change nothing in Linux's normal scheduling class; the nice value,
    // which Linux keeps per thread, does.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (errno == 0)
        setpriority(PRIO_PROCESS, 0, nice + 1);
#endif
}

} // namespace

void TQThread::Run() {
    LowerPriority();
    while (WaitForWake()) {
        for (;;) {
            TQThreadManager::TCycle cycle;
            OnMainThread([&] { Owner.Take(cycle); });
            if (!cycle.Taken)
                break;
            Execute(cycle);
            OnMainThread([&] { Owner.HandOver(cycle); });
        }
    }
    Exited = true;
    // Wakes a main thread that waits for the exit in its event loop.
    QMetaObject::invokeMethod(
        &Owner.MainThreadContext, [] {}, Qt::QueuedConnection);
}

// A Post that comes after the cycle which found nothing pending and before this wait has set
// Woken, so the wait returns at once and the text is not lost.
bool TQThread::WaitForWake() {
    std::unique_lock lock(Mutex);
    WakeUp.wait(lock, [&] { return Woken || StopRequested; });
    Woken = false;
    return !StopRequested;
}

void TQThread::Execute(TQThreadManager::TCycle& cycle) {
    try {
        cycle.Rows = Owner.Runner(cycle.Sql);
    } catch (const std::exception& e) {
        cycle.Failed = true;
        cycle.Error = e.what();
    } catch (...) {
        cycle.Failed = true;
        cycle.Error = "unknown error";
    }
}

TQThreadManager::TQThreadManager(IQueryTarget& target, TQueryRunner runner, std::string* firstRowTarget)
    : Target(target), Runner(std::move(runner)), FirstRowTarget(firstRowTarget),
      Worker(std::make_unique<TQThread>(*this)) {}

TQThreadManager::~TQThreadManager() {
    Stop();
    WaitFinished();
}

void TQThreadManager::Post(std::string sql) {
    if (Stopping)
        return;
    PendingText = std::move(sql);
    if (Idle && !PendingText.empty()) {
        Idle = false;
        Worker->Wake();
    }
}

void TQThreadManager::RefillInPlace(const std::string& sql) {
    NoteInPlaceRefill();
    Deliver(InPlaceRunner ? InPlaceRunner(sql) : Runner(sql));
}

void TQThreadManager::NoteInPlaceRefill() {
    PendingText.clear();
    ++Generation;
}

void TQThreadManager::Stop() {
    Stopping = true;
    Worker->RequestStop();
}

// The worker may be blocked in a hand-over onto this thread, so joining at once could deadlock.
void TQThreadManager::WaitFinished() {
    while (!Worker->HasExited())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
    Worker->Join();
}

void TQThreadManager::Take(TCycle& cycle) {
    if (Stopping || PendingText.empty()) {
        Idle = true;
        return;
    }
    cycle.Sql = std::exchange(PendingText, {});
    cycle.Generation = Generation;
    cycle.Taken = true;
}

void TQThreadManager::HandOver(TCycle& cycle) {
    if (cycle.Generation != Generation)
        return;
    if (cycle.Failed)
        return ReportFailure(cycle.Error);
    // An exception escaping here would cross the event loop with the worker still waiting on it.
    try {
        Deliver(std::move(cycle.Rows));
    } catch (const std::exception& e) {
        ReportFailure(e.what());
    }
}

void TQThreadManager::Deliver(std::shared_ptr<const TResultSet> rows) {
    const std::shared_ptr<const TResultSet> attached = rows;
    Target.Attach(std::move(rows));
    if (FirstRowTarget && attached)
        if (std::optional<std::string> first = attached->FirstValue())
            *FirstRowTarget = std::move(*first);
}

void TQThreadManager::ReportFailure(const std::string& message) {
    if (OnFailure)
        OnFailure(message);
}

void WaitUntilIdle(std::span<TQThreadManager* const> managers) {
    const auto idle = [](const TQThreadManager* m) { return m->IsIdle(); };
    // Idle changes only in hand-over steps, which are events on this thread.
    while (!std::all_of(managers.begin(), managers.end(), idle))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void StopAll(std::span<TQThreadManager* const> managers) {
    for (TQThreadManager* m : managers)
        m->Stop();
    for (TQThreadManager* m : managers)
        m->WaitFinished();
}
