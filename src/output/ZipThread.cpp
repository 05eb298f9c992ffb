#include "output/ZipThread.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

#include "browse/QueryComposer.h"
#include "catalogue/CatalogueConnection.h"
#include "output/ZipSupport.h"
#include "settings/Translate.h"

namespace {

bool Fail(TZipRunResult& result, std::string message) {
    result.Failed = true;
    result.Error = std::move(message);
    return false;
}

// Adds one file and counts it; false when the run must end at this file.
bool AddOne(TZipArchive& archive, const std::string& path, TZipRunResult& result) {
    const TZipAddResult added = archive.AddFile(path);
    switch (added.Outcome) {
    case TZipAddOutcome::Added:
        ++result.Added;
        result.Replaced += added.ReplacedOld ? 1 : 0;
        if (added.Renamed)
            result.Renamed.push_back(path + " -> " + added.EntryName);
        break;
    case TZipAddOutcome::Missing:
        ++result.Missing;
        break;
    case TZipAddOutcome::Duplicate:
        ++result.Duplicates;
        break;
    case TZipAddOutcome::Failed:
        return Fail(result, archive.LastError());
    }
    ++result.Done;
    return true;
}

void RunList(TZipArchive& archive, const std::vector<std::string>& files, const std::atomic<bool>& stop,
             const TZipProgress& progress, TZipRunResult& result) {
    result.Total = static_cast<int>(files.size());
    for (const std::string& path : files) {
        if (stop) {
            result.Stopped = true;
            return;
        }
        if (!AddOne(archive, path, result))
            return;
        if (progress)
            progress(result.Done, result.Total);
    }
}

int FileNameColumn(const TSqlStatement& query) {
    for (int i = 0; i < query.ColumnCount(); ++i)
        if (::strcasecmp(query.ColumnName(i).c_str(), "filename") == 0)
            return i;
    return -1;
}

// The rows are counted before the first file, so that the progress has its total from the start:
// by a count of the unsorted rows when given, else by running the query once more. The catalogue
// connection only reads, so running the user's own text twice changes nothing.
int CountRows(TCatalogueConnection& db, TSqlStatement& query, const std::string& unsortedSql) {
    if (!unsortedSql.empty()) {
        TSqlStatement count = db.Prepare(CountSQL(unsortedSql));
        return db.Step(count) ? static_cast<int>(count.ColumnInt64(0)) : 0;
    }
    int rows = 0;
    while (db.Step(query))
        ++rows;
    query.Reset();
    return rows;
}

void RunQuery(TZipArchive& archive, const TZipJob& job, const std::atomic<bool>& stop,
              const TZipProgress& progress, TZipRunResult& result) {
    TCatalogueConnection& db = *job.Catalogue;
    const bool all = job.Mode == zmAll;
    TSqlStatement query = db.Prepare(all ? "SELECT filename FROM tablatures;" : job.Sql);
    const int column = FileNameColumn(query);
    if (column < 0) {
        Fail(result, Tr("The query gives no \"filename\" column."));
        return;
    }
    result.Total = CountRows(db, query, all ? std::string() : job.UnsortedSql);
    while (db.Step(query)) {
        if (stop) {
            result.Stopped = true;
            return;
        }
        const std::string path = query.ColumnIsNull(column) ? std::string() : query.ColumnText(column);
        if (!AddOne(archive, path, result))
            return;
        if (progress)
            progress(result.Done, std::max(result.Done, result.Total));
    }
}

void RunCatalogue(TZipArchive& archive, const TZipJob& job, const std::atomic<bool>& stop,
                  const TZipProgress& progress, TZipRunResult& result) {
    try {
        RunQuery(archive, job, stop, progress, result);
    } catch (const EDatabaseError& e) {
        Fail(result, e.what()); // translated already
    }
}

} // namespace

TZipRunResult RunZipJob(TZipArchive& archive, const TZipJob& job, const std::atomic<bool>& stop,
                        const TZipProgress& progress) {
    TZipRunResult result;
    if (!archive.Usable()) {
        Fail(result, archive.LastError().empty() ? Tr("The archive is not open.") : archive.LastError());
        return result;
    }
    switch (job.Mode) {
    case zmCurrent:
        result.Total = 1;
        if (stop)
            result.Stopped = true;
        else if (!job.Files.empty())
            AddOne(archive, job.Files.front(), result);
        break;
    case zmSelected:
        RunList(archive, job.Files, stop, progress, result);
        break;
    case zmDisplayed:
    case zmAll:
        if (!job.Catalogue || !job.Catalogue->IsOpen())
            Fail(result, Tr("The catalogue is not open."));
        else
            RunCatalogue(archive, job, stop, progress, result);
        break;
    default:
        Fail(result, Tr("Unknown archiving mode."));
    }
    return result;
}

int ZipPercent(int done, int total) {
    if (total <= 0)
        return 0;
    return static_cast<int>(std::lround(100.0 * done / total));
}

TZipThread::TZipThread(TZipArchive& archive, TZipJob job, TZipProgress progress, std::function<void()> ended)
    : Archive(archive), Job(std::move(job)), Progress(std::move(progress)), Ended(std::move(ended)) {}

TZipThread::~TZipThread() {
    RequestStop();
    Wait();
}

void TZipThread::Start() {
    if (Worker.joinable())
        return;
    Worker = std::thread([this] {
        Outcome = RunZipJob(Archive, Job, Stop, Progress);
        Done = true;
        if (Ended)
            Ended();
    });
}

void TZipThread::Wait() {
    if (Worker.joinable())
        Worker.join();
}
