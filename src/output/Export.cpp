#include "output/Export.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "catalogue/TextConvert.h"
#include "output/ExportWriters.h"
#include "settings/Translate.h"

namespace {

std::unique_ptr<TExportWriter> MakeWriter(TExportKind kind, TByteSink& sink, const TExportOptions& options) {
    switch (kind) {
    case ekExcel:
        return MakeExcelWriter(sink, options.CodePage.empty() ? TAnsiDecoder().CodePage() : options.CodePage);
    case ekXML:
        return MakeXMLWriter(sink);
    case ekHTML:
        return MakeHTMLWriter(sink);
    }
    throw EQuiravelError("Unknown export kind");
}

int Percent(int64_t processed, int64_t total) {
    if (total <= 0)
        return 100;
    return static_cast<int>(std::lround(static_cast<double>(processed) * 100.0 / static_cast<double>(total)));
}

// Reports progress; true when a stop was requested.
bool ProgressStep(const TExportOptions& options, const TExportResult& result) {
    if (options.Progress)
        options.Progress(Percent(result.Written, result.Total), result.Written, result.Total);
    return options.Stop && options.Stop->load();
}

std::string RowLimitText(int64_t written, int64_t total) {
    std::string format = Tr("An Excel worksheet holds no more rows: only the first %lld of %lld tablatures "
                            "were exported.");
    std::vector<char> text(format.size() + 64);
    std::snprintf(text.data(), text.size(), format.c_str(), static_cast<long long>(written),
                  static_cast<long long>(total));
    return text.data();
}

} // namespace

TExportResult ExportToSink(TExportRowSource& source, TExportKind kind, TByteSink& sink,
                           const TExportOptions& options) {
    TExportResult result;
    try {
        auto writer = MakeWriter(kind, sink, options);
        result.Total = source.Total();
        writer->Begin();
        TExportRow row;
        while (source.Next(row)) {
            if (result.Written == writer->MaxRows()) {
                result.RowLimitReached = true;
                break;
            }
            writer->Row(row, result.Written);
            ++result.Written;
            if (result.Written % ExportProgressStep == 0 && ProgressStep(options, result)) {
                result.Stopped = true;
                break;
            }
        }
        writer->End();
        result.Ok = true;
        if (result.RowLimitReached)
            result.Message = RowLimitText(result.Written, std::max(result.Total, result.Written + 1));
    } catch (const std::exception& e) {
        result.Message = e.what();
    }
    return result;
}

TExportResult ExportCatalogue(TExportRowSource& source, TExportKind kind, const std::string& target,
                              const TExportOptions& options) {
    TFileSink sink;
    try {
        sink.Create(target);
    } catch (const EWriteError& e) {
        TExportResult result;
        result.Message = e.what();
        return result;
    }
    TExportResult result = ExportToSink(source, kind, sink, options);
    try {
        sink.Close();
    } catch (const EWriteError& e) {
        if (result.Ok)
            result.Message = e.what();
        result.Ok = false;
    }
    return result;
}

bool IsReadOnlyTarget(const std::string& target) {
    struct stat st;
    if (::stat(target.c_str(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(target.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
}

std::string ReadOnlyTargetText(const std::string& target) {
    return Tr("Cannot export database") + "\n" + target + "\n" +
           Tr("File is read only. Please select another file name.");
}

std::string ExportFailureText(const std::string& target, const std::string& message) {
    return Tr("Cannot export database") + "\n" + target + "\n" + message;
}
