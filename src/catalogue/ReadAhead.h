#pragma once

#include "catalogue/FileJob.h"
#include "catalogue/TablatureWriter.h"
#include "readers/TabStream.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Reads the files of a walk on two threads, the walking thread and a helper of its own, and retires
// them strictly in the order they were added: each file's reserved writer slot is pushed (stored or
// passed over), then the retire function sees the job. The helper reads whatever is queued; the
// walking thread reads too while the queue is full, so the work goes to whichever thread is free.
//
// Thread safety: the members belong to the thread that created the object, which is also where the
// retire function runs. The helper touches only the jobs it claimed, with their writer slots, and its
// own stream; the destructor stops and joins it on every way out.
class TReadAhead {
public:
    using TRetire = std::function<void(const TFileJob&)>;
    TReadAhead(TTablatureWriter& writer, TRetire retire);
    // Joins the helper; jobs not retired yet are dropped with their rows.
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // Queues the file path in folder; its name begins at nameAt. Raises what the writer raises, and
    // a failure of reading an earlier file other than a format or stream error.
    void Add(const std::shared_ptr<DIR>& folder, const std::string& path, size_t nameAt,
             const TTabFormat& format);
    // Reads and retires every file added.
    void Drain();

private:
    void RunHelper();
    void ReadNext(std::unique_lock<std::mutex>& lock, TFileTabStream& stream);
    void Advance();
    size_t DonePrefix() const;
    void RetireFirst(size_t count);

    // Enough to keep both threads busy over short stalls; the writer's ring holds many more.
    static constexpr size_t Depth = 32;
    TTablatureWriter& Writer;
    const TRetire Retire;
    // Job n is Jobs[n % Depth], counted from the start.
    std::array<TFileJob, Depth> Jobs;
    std::array<bool, Depth> Done{};
    TFileTabStream Stream;
    std::mutex Lock;
    std::condition_variable Queued, Read;
    // Jobs [Retired, Claimed) are read or being read, [Claimed, Count) wait. Retired is the walking
    // thread's own; the rest and Done are guarded by Lock.
    size_t Retired = 0, Claimed = 0, Count = 0;
    bool Stopping = false, HelperWaits = false, WalkerWaits = false;
    std::thread Helper;
};
