#include "catalogue/ReadAhead.h"

#include <exception>
#include <utility>

TReadAhead::TReadAhead(TTablatureWriter& writer, TRetire retire) : Writer(writer), Retire(std::move(retire)) {
    Helper = std::thread([this] { RunHelper(); });
}

TReadAhead::~TReadAhead() {
    {
        std::lock_guard<std::mutex> lock(Lock);
        Stopping = true;
        Queued.notify_one();
    }
    Helper.join();
}

void TReadAhead::Add(const std::shared_ptr<DIR>& folder, const std::string& path, size_t nameAt,
                     const TTabFormat& format) {
    while (Count - Retired == Depth)
        Advance();
    TFileJob& job = Jobs[Count % Depth];
    job.Folder = folder;
    job.Path = path;
    job.NameAt = nameAt;
    job.Format = &format;
    job.Row = &Writer.Reserve();
    size_t done = 0;
    {
        std::lock_guard<std::mutex> lock(Lock);
        Done[Count % Depth] = false;
        ++Count;
        if (HelperWaits)
            Queued.notify_one();
        done = DonePrefix();
    }
    RetireFirst(done);
}

void TReadAhead::Drain() {
    while (Retired < Count)
        Advance();
}

void TReadAhead::RunHelper() {
    TFileTabStream stream;
    std::unique_lock<std::mutex> lock(Lock);
    for (;;) {
        HelperWaits = true;
        Queued.wait(lock, [this] { return Stopping || Claimed < Count; });
        HelperWaits = false;
        if (Stopping)
            return;
        ReadNext(lock, stream);
    }
}

// Claims the oldest waiting job and reads it without the lock; ReadFileJob raises nothing.
void TReadAhead::ReadNext(std::unique_lock<std::mutex>& lock, TFileTabStream& stream) {
    const size_t n = Claimed++;
    lock.unlock();
    ReadFileJob(Jobs[n % Depth], stream);
    lock.lock();
    Done[n % Depth] = true;
    if (WalkerWaits)
        Read.notify_one();
}

// One step towards retiring the oldest job: retires what is read, or else reads a waiting job on this
// thread, or else waits for the helper, which then holds the oldest job.
void TReadAhead::Advance() {
    std::unique_lock<std::mutex> lock(Lock);
    size_t done = DonePrefix();
    if (done == 0 && Claimed < Count)
        return ReadNext(lock, Stream);
    if (done == 0) {
        WalkerWaits = true;
        Read.wait(lock, [this] { return Done[Retired % Depth]; });
        WalkerWaits = false;
        done = DonePrefix();
    }
    lock.unlock();
    RetireFirst(done);
}

size_t TReadAhead::DonePrefix() const {
    size_t n = Retired;
    while (n < Count && Done[n % Depth])
        ++n;
    return n - Retired;
}

void TReadAhead::RetireFirst(size_t count) {
    for (; count > 0; --count) {
        TFileJob& job = Jobs[Retired++ % Depth];
        job.Folder.reset();
        if (job.Failure)
            std::rethrow_exception(job.Failure);
        Writer.Push(job.Stored);
        Retire(job);
    }
}
