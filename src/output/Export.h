#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "output/ExportSource.h"
#include "output/OutputSink.h"

enum TExportKind { ekExcel, ekXML, ekHTML };

// Progress is reported, and a stop request honoured, after every this many records.
constexpr int64_t ExportProgressStep = 200;

struct TExportOptions {
    // Code page of the texts of Excel cells, as iconv names it; "" (the setting's "System Default")
    // is the code page that goes with the interface language, as the catalogue reads it.
    std::string CodePage;
    // Called at each progress step with processed / total as a whole percentage.
    std::function<void(int percent, int64_t processed, int64_t total)> Progress;
    // Checked at each progress step; when set, the file is finished with the rows written so far.
    const std::atomic<bool>* Stop = nullptr;
};

struct TExportResult {
    // The file is complete in form (also after a stop or at the row limit).
    bool Ok = false;
    bool Stopped = false;
    // The Excel worksheet was full before the list ended; Message says so.
    bool RowLimitReached = false;
    int64_t Written = 0;
    int64_t Total = 0;
    // On failure the failure's own (untranslated) message; at the row limit a translated notice.
    std::string Message;
};

// Writes the list of source as kind into the file target (created or truncated).
//
// Thread safety: runs on the calling thread; Stop may be set from any thread.
TExportResult ExportCatalogue(TExportRowSource& source, TExportKind kind, const std::string& target,
                              const TExportOptions& options);
// The same into any sink; the caller closes it.
TExportResult ExportToSink(TExportRowSource& source, TExportKind kind, TByteSink& sink,
                           const TExportOptions& options);

// True when target exists and may not be written to (no write permission for anybody, or a
// read-only file system); such a target is refused before the export starts.
bool IsReadOnlyTarget(const std::string& target);
// The translated refusal for a read-only target, and the translated report of a failed export.
std::string ReadOnlyTargetText(const std::string& target);
std::string ExportFailureText(const std::string& target, const std::string& message);
