#pragma once

#include "catalogue/CatalogueStore.h"
#include "catalogue/ReadAhead.h"
#include "catalogue/TablatureWriter.h"
#include "readers/TabInfo.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <dirent.h>
#include <memory>
#include <set>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

// Where a scan reports its stage and folder texts.
//
// ShowProgress is called on the scan's worker thread and is meant to show the texts on the
// receiver's own thread while the worker waits (a window uses a blocking queued call, a terminal
// a hand-off). The rule that keeps this free of deadlocks: a receiver that stops serving (before
// it waits for the scan to end, or before it goes away) must first make the pending call and
// every later one return without waiting. ScanEnded is the worker's last act; it must not wait.
class IScanProgress {
public:
    virtual ~IScanProgress() = default;
    virtual void ShowProgress(const std::string& stage, const std::string& folder) = 0;
    virtual void ScanEnded() {}
};

// Builds or rebuilds a catalogue from root folders on a worker thread owned by this object.
//
// Thread safety: Start, Terminate, WaitFor and the destructor belong to the thread that created
// the object. Added, ErrorCount, Terminated and Finished may be read from any thread at any time;
// Failure, Elapsed and Errors only after the scan has finished (Finished() or WaitFor()).
class TScanThread {
public:
    // codePage: the legacy code page of non-Unicode tablature texts ("cp1251"); "" follows the
    // interface language. progress may be null.
    TScanThread(std::vector<std::string> dirs, uint8_t tabTypes, const std::string& dbFile,
                IScanProgress* progress, std::string codePage = "");
    // Requests termination and waits for the worker; see IScanProgress for the receiver's duty.
    ~TScanThread();
    TScanThread(const TScanThread&) = delete;
    TScanThread& operator=(const TScanThread&) = delete;

    void Start();
    // Asks the walk to stop at its next check; what was read until then is still committed.
    void Terminate() { TerminateRequested.store(true); }
    bool Terminated() const { return TerminateRequested.load(); }
    bool Finished() const { return Done.load(); }
    void WaitFor();

    int Added() const { return AddedCount.load(std::memory_order_relaxed); }
    int ErrorCount() const { return ErrorTotal.load(std::memory_order_relaxed); }
    // Empty, or why the scan did not start or could not be stored: the catalogue path, ": ", the reason.
    const std::string& Failure() const { return FailureText; }
    int64_t Elapsed() const { return ElapsedMs; }
    const std::vector<TScanError>& Errors() const { return ErrorList; }

private:
    void Run();
    void Execute();
    bool OpenOrCreate(const std::string& dbPath, bool& clearFailed);
    void WalkAndStore(TCatalogueStore& store);
    void WalkRoots();
    void ScanFolder(std::string& folder);
    void VisitEntry(const std::shared_ptr<DIR>& dir, const char* name, unsigned char type, std::string& path);
    void ProcessFile(const std::shared_ptr<DIR>& dir, const char* name, const std::string& path);
    void RetireFile(const TFileJob& job);
    void AddError(std::string path, std::string message);
    void SetFailure(const std::string& path, const std::string& message);
    void ShowProgress();

    char DBFile[TabPathSize];
    // A path that does not fit DBFile is refused rather than cut, which would name another file.
    bool DBFileTooLong;
    const std::vector<std::string> Dirs;
    const uint8_t TabTypes;
    const std::string CodePage;
    IScanProgress* const Progress;
    std::chrono::steady_clock::time_point StartTick, EndTick;
    std::string StageText, DirText;
    std::atomic<int> AddedCount{0};
    std::atomic<int> ErrorTotal{0};
    std::vector<TScanError> ErrorList;
    std::string FailureText;
    int64_t ElapsedMs = 0;
    std::atomic<bool> TerminateRequested{false};
    std::atomic<bool> Done{false};

    // Worker state, reused from file to file so the walk allocates nothing per file.
    TCatalogueStore* Store = nullptr;
    // Reads the files during the walk and takes their rows to the store.
    TReadAhead* Reads = nullptr;
    std::string PathBuffer;
    // Folders already walked (device, inode): a symbolic link loop or a repeated root ends here.
    std::set<std::pair<dev_t, ino_t>> Visited;
    std::thread Worker;
};
