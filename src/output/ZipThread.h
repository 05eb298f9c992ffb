#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "output/ZipArchive.h"

class TCatalogueConnection;

// What one archiving run adds.
enum TZipMode {
    zmCurrent = 0,   // Files.front(): the current row of the tablature list
    zmSelected = 1,  // Files: the marked rows, in order
    zmDisplayed = 2, // the rows of Sql, run again on a statement of the worker's own
    zmAll = 3,       // every tablature of the catalogue
};

struct TZipJob {
    int Mode = zmDisplayed;
    std::vector<std::string> Files;
    // Modes 2 and 3. The column "filename" of each row names the file.
    TCatalogueConnection* Catalogue = nullptr;
    std::string Sql;
    // Mode 2: the rows of Sql without their ORDER BY, counted for the progress total without
    // sorting them; empty: Sql is run once more to count its rows.
    std::string UnsortedSql;
};

struct TZipRunResult {
    int Total = 0;
    int Done = 0; // files handled, missing ones included
    int Added = 0;
    int Missing = 0;
    int Duplicates = 0; // the same file listed again; stored once
    int Replaced = 0;   // entries held before the run that a file of the run replaced
    // "path -> stored name" for each file stored under a numbered name.
    std::vector<std::string> Renamed;
    bool Stopped = false;
    bool Failed = false;
    std::string Error; // translated, when Failed
};

// Called after each file with the files handled so far and the total (not in mode 0).
using TZipProgress = std::function<void(int done, int total)>;

// Runs job on the calling thread, adding to archive, which must be open; the caller closes it.
// stop is tested before each file. A file that cannot be read ends the run at that file.
TZipRunResult RunZipJob(TZipArchive& archive, const TZipJob& job, const std::atomic<bool>& stop,
                        const TZipProgress& progress);

// The whole-number percentage shown for done of total.
int ZipPercent(int done, int total);

// One archiving run on a worker thread of its own.
//
// Thread safety: Start, Wait and the destructor belong to the thread that created the object;
// RequestStop and Finished may be called from any thread at any time. Progress and the end notice run
// on the worker; the end notice is its last act. While the worker runs, nobody else may use the
// archive; the catalogue connection may be shared (it serialises its calls).
// A receiver that answers the notices with a blocking call onto its own thread must stop
// blocking before it waits for the worker (Wait or the destructor), or the two wait on each other.
class TZipThread {
public:
    TZipThread(TZipArchive& archive, TZipJob job, TZipProgress progress = {},
               std::function<void()> ended = {});
    // Asks the worker to stop and waits for it.
    ~TZipThread();
    TZipThread(const TZipThread&) = delete;
    TZipThread& operator=(const TZipThread&) = delete;

    void Start();
    void RequestStop() { Stop = true; }
    bool Finished() const { return Done; }
    void Wait();
    // Valid once Finished() or after Wait().
    const TZipRunResult& Result() const { return Outcome; }

private:
    TZipArchive& Archive;
    TZipJob Job;
    TZipProgress Progress;
    std::function<void()> Ended;
    std::atomic<bool> Stop{false};
    std::atomic<bool> Done{false};
    TZipRunResult Outcome;
    std::thread Worker;
};
