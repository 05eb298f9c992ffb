#include "output/AccessExport.h"

#include <cmath>
#include <vector>

#include "output/JetWriter.h"
#include "output/ZipArchive.h"
#include "settings/Translate.h"

namespace {

constexpr const char* TemplateEntry = "db.mdb";

// The table's columns in the order of the values of one row.
std::vector<TJetExpectedColumn> TableColumns() {
    return {{"title", JetTypeText},    {"artist", JetTypeText},  {"album", JetTypeText},
            {"tabyear", JetTypeLong},  {"music", JetTypeText},   {"words", JetTypeText},
            {"filename", JetTypeText}, {"filesize", JetTypeLong}};
}

void RowValues(const TExportRow& row, TJetValue* values) {
    values[0] = TJetValue::OfText(row.Title);
    values[1] = TJetValue::OfText(row.Artist);
    values[2] = TJetValue::OfText(row.Album);
    values[3] = row.Year ? TJetValue::OfLong(*row.Year) : TJetValue{};
    values[4] = TJetValue::OfText(row.Music);
    values[5] = TJetValue::OfText(row.Words);
    values[6] = TJetValue::OfText(row.FileName);
    values[7] = TJetValue::OfLong(row.FileSize);
}

// Reports progress; true when a stop was requested.
bool ProgressStep(const TExportOptions& options, const TExportResult& result) {
    if (options.Progress) {
        const int percent = result.Total <= 0
                                ? 100
                                : static_cast<int>(std::lround(static_cast<double>(result.Written) * 100.0 /
                                                               static_cast<double>(result.Total)));
        options.Progress(percent, result.Written, result.Total);
    }
    return options.Stop && options.Stop->load();
}

std::string ReplaceFirst(std::string text, const std::string& mark, const std::string& value) {
    const size_t at = text.find(mark);
    return at == std::string::npos ? text : text.replace(at, mark.size(), value);
}

} // namespace

std::string AccessDataFile() {
    return ProgramFolder() + "/Quiravel.dat";
}

bool CopyAccessTemplate(const std::string& dataFile, const std::string& target, std::string& error) {
    std::string cause;
    if (ExtractZipEntry(dataFile, TemplateEntry, target, cause))
        return true;
    error = ReplaceFirst(Tr("Cannot create file \"%s\""), "%s", target) + "\n" + cause;
    return false;
}

TAccessExportResult ExportAccessRows(TExportRowSource& source, const std::string& target,
                                     const TExportOptions& options) {
    TAccessExportResult result;
    try {
        TJetWriter writer("tablatures", TableColumns());
        writer.Open(target);
        result.Total = source.Total();
        TExportRow row;
        TJetValue values[8];
        while (source.Next(row)) {
            RowValues(row, values);
            writer.Append(values);
            ++result.Written;
            if (result.Written % AccessProgressStep == 0 && ProgressStep(options, result)) {
                result.Stopped = true;
                break;
            }
        }
        writer.Finish();
        result.CutValues = writer.CutValues();
        result.Ok = true;
    } catch (const std::exception& e) {
        result.Message = e.what();
    }
    return result;
}

std::string CutValuesText(int64_t count) {
    return ReplaceFirst(TrN("%d value did not fit its Access column and was cut.",
                            "%d values did not fit their Access columns and were cut.", count),
                        "%d", std::to_string(count));
}
