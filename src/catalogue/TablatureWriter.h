#pragma once

#include "readers/TabInfo.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Hands a scan's rows to a store function (TCatalogueStore::AddTablature) on a thread of its own,
// in the order they are handed in, so that reading the next files overlaps the inserts. Rows wait in a ring
// of a fixed number of slots; readers fill reserved slots in place, in any order, and the slots are queued
// in the order they were reserved. A reader waits only while every slot is reserved.
//
// Thread safety: the store function, and what it writes to, belong to the writer's thread from
// construction until Finish (or the destructor) returns; in between, only the thread that created the writer
// may call its members. A reserved slot may be filled on another thread, as long as the filling happens
// before its Push (through a lock). A failure of the writer's thread stops it; the exception is raised again
// on the creating thread by the next Reserve, Push or Finish, and the rows handed in after it are dropped.
class TTablatureWriter {
public:
    using TStoreRow = std::function<void(const TabInfo&)>;
    explicit TTablatureWriter(TStoreRow store);
    // Stores what is queued and joins; a failure not raised yet is dropped.
    ~TTablatureWriter();
    TTablatureWriter(const TTablatureWriter&) = delete;
    TTablatureWriter& operator=(const TTablatureWriter&) = delete;

    // A slot to fill, after the slots reserved before; waits while every slot is reserved.
    TabInfo& Reserve();
    // Queues the oldest reserved slot that is not queued yet; a slot not stored is passed over, as
    // for a file that could not be read.
    void Push(bool stored);
    // Waits until every queued row is stored and joins; raises a failure of the writer's thread.
    void Finish();

private:
    void Run();
    void Stop();
    void RaiseFailure();

    static constexpr size_t Capacity = 256;
    // The writer wakes for this many queued rows at a time, sparing a hand-off per file; half the
    // ring, so the reader fills the other half meanwhile.
    static constexpr size_t Batch = Capacity / 2;

    const TStoreRow Store;
    std::unique_ptr<TabInfo[]> Slots;
    std::unique_ptr<bool[]> Stored;
    std::mutex Lock;
    std::condition_variable Queued, Freed;
    // Rows [Head, Tail) are queued and [Tail, Reserved) reserved, counted from the start; a slot is
    // Slots[n % Capacity].
    size_t Head = 0, Tail = 0, Reserved = 0;
    bool Closing = false;
    bool WriterWaits = false, ReaderWaits = false;
    std::exception_ptr Failure;
    bool FailureRaised = false;
    std::thread Thread;
};
