#include "catalogue/TablatureWriter.h"

#include <stdexcept>
#include <utility>

TTablatureWriter::TTablatureWriter(TStoreRow store)
    : Store(std::move(store)), Slots(std::make_unique<TabInfo[]>(Capacity)),
      Stored(std::make_unique<bool[]>(Capacity)) {
    Thread = std::thread([this] { Run(); });
}

TTablatureWriter::~TTablatureWriter() {
    Stop();
}

TabInfo& TTablatureWriter::Reserve() {
    std::unique_lock<std::mutex> lock(Lock);
    ReaderWaits = true;
    Freed.wait(lock, [this] { return Reserved - Head < Capacity || Failure; });
    ReaderWaits = false;
    if (Failure)
        RaiseFailure();
    return Slots[Reserved++ % Capacity];
}

void TTablatureWriter::Push(bool stored) {
    std::lock_guard<std::mutex> lock(Lock);
    if (Failure) {
        RaiseFailure();
        return;
    }
    if (Tail == Reserved)
        throw std::logic_error("TTablatureWriter::Push without a reserved slot");
    Stored[Tail % Capacity] = stored;
    ++Tail;
    if (WriterWaits && Tail - Head >= Batch)
        Queued.notify_one();
}

void TTablatureWriter::Finish() {
    Stop();
    std::lock_guard<std::mutex> lock(Lock);
    if (Failure)
        RaiseFailure();
}

void TTablatureWriter::Stop() {
    {
        std::lock_guard<std::mutex> lock(Lock);
        Closing = true;
        Queued.notify_one();
    }
    if (Thread.joinable())
        Thread.join();
}

// Raised once; later calls find the writer stopped and the rows dropped.
void TTablatureWriter::RaiseFailure() {
    if (FailureRaised)
        return;
    FailureRaised = true;
    std::rethrow_exception(Failure);
}

// Takes every queued row at each wake-up and stores them without the lock; readers fill only
// slots outside [Head, Tail), so the rows being stored are not touched meanwhile.
void TTablatureWriter::Run() {
    std::unique_lock<std::mutex> lock(Lock);
    for (;;) {
        WriterWaits = true;
        Queued.wait(lock, [this] { return Tail - Head >= Batch || Closing; });
        WriterWaits = false;
        const size_t first = Head, end = Tail;
        if (first == end)
            return;
        lock.unlock();
        std::exception_ptr failure;
        try {
            for (size_t n = first; n < end; ++n)
                if (Stored[n % Capacity])
                    Store(Slots[n % Capacity]);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        Head = end;
        if (failure)
            Failure = failure;
        if (ReaderWaits)
            Freed.notify_one();
        if (Failure)
            return;
    }
}
