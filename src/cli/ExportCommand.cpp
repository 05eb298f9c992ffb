#include "browse/QueryComposer.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "cli/CliProgress.h"
#include "output/AccessExport.h"
#include "output/CatalogueExportSource.h"
#include "output/Export.h"
#include "settings/Translate.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

namespace {

// The columns of the tablature list, by which it may be sorted.
const char* const ListColumns[] = {"title", "artist",   "album",    "year",    "words",
                                   "music", "filename", "filesize", "filedate"};

// The position of "mdb" among the --format values.
constexpr int AccessFormat = 3;

void PrintExportHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli export --db FILE --format xls|html|xml|mdb [OPTIONS] OUT"),
        Tr("Exports every tablature of the catalogue FILE to the file OUT, in the order of the tablature "
           "list: an Excel worksheet, an HTML page, an XML document or an MS Access database."),
        {
            {"--db FILE", Tr("the catalogue to export")},
            {"--format KIND", Tr("xls, html, xml or mdb")},
            {"--sort LIST", Tr("the list order: columns, each optionally followed by asc or desc, such as "
                               "\"artist desc, title\" (default: title)")},
            {"--encoding CP",
             Tr("code page of the texts of an Excel worksheet, such as cp1251 (default: that "
                "of the language)")},
            {"--overwrite", Tr("replace an existing MS Access database (files of the other formats are "
                               "always replaced)")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {Tr("An Excel worksheet holds at most 65536 rows; the tablatures after them are left out, with a "
            "warning."),
         Tr("An MS Access text column holds at most 255 characters; longer texts are cut, with a warning."),
         Tr("Ctrl+C stops the export and leaves a complete file with the tablatures written until then.")});
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "artist desc, title" -> sort markers; false with bad set to the faulty item.
bool ParseSort(const std::string& text, std::vector<SortColumn>& columns, std::string& bad) {
    std::stringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        std::stringstream words(item);
        std::string field, direction, extra;
        words >> field >> direction >> extra;
        field = Lower(field);
        direction = Lower(direction);
        const bool known =
            std::find(std::begin(ListColumns), std::end(ListColumns), field) != std::end(ListColumns);
        if (!known || !extra.empty() || (!direction.empty() && direction != "asc" && direction != "desc")) {
            bad = item;
            return false;
        }
        columns.push_back({field, direction == "desc"});
    }
    return true;
}

// Runs export with a progress bar on a terminal; Ctrl+C becomes a stop request.
TExportResult ExportWithProgress(const std::string& codePage,
                                 const std::function<TExportResult(const TExportOptions&)>& exportRows) {
    const TCliRunScope run;
    TExportOptions options;
    options.CodePage = codePage;
    options.Stop = &run.Stop();
    if (run.Live())
        options.Progress = [](int percent, int64_t, int64_t) { DrawProgressBar(percent); };
    return exportRows(options);
}

int Report(const TExportResult& result, const std::string& out) {
    if (!result.Ok) {
        std::fprintf(stderr, "%s\n", ExportFailureText(out, result.Message).c_str());
        return ExitFailure;
    }
    const std::string count = std::to_string(result.Written);
    if (result.Stopped) {
        std::fprintf(stderr, "%s\n",
                     FillText(TrN("Export stopped: %d tablature written.",
                                  "Export stopped: %d tablatures written.", result.Written),
                              {count})
                         .c_str());
        return ExitFailure;
    }
    if (!result.Message.empty()) // the row limit of a worksheet, texts cut in an Access database
        std::fprintf(stderr, "quiravel-cli export: %s\n",
                     FillText(Tr("warning: %s"), {result.Message}).c_str());
    std::printf(
        "%s\n",
        FillText(TrN("%d tablature exported.", "%d tablatures exported.", result.Written), {count}).c_str());
    return FinishOutput() ? ExitOk : ExitFailure;
}

// The Access export: the empty database put at out, then the rows; cut texts give a warning.
int ExportAccess(TExportRowSource& source, const std::string& out) {
    std::string copyError;
    if (!CopyAccessTemplate(AccessDataFile(), out, copyError)) {
        std::fprintf(stderr, "%s\n", copyError.c_str());
        return ExitFailure;
    }
    return Report(ExportWithProgress("",
                                     [&](const TExportOptions& options) {
                                         TAccessExportResult result = ExportAccessRows(source, out, options);
                                         if (result.Ok && result.CutValues > 0)
                                             result.Message = CutValuesText(result.CutValues);
                                         return TExportResult(result);
                                     }),
                  out);
}

// What the options ask for, once checked.
struct TExportRequest {
    int Format = -1; // the position among xls, html, xml and mdb
    BrowseInput List;
    std::string CodePage;
    std::string Out;
};

// Checks the options in order and fills request; the first usage error, or empty.
std::string ReadExportRequest(const TCliArgs& a, TExportRequest& request) {
    std::string error, bad;
    request.Format = ChoiceIndex(a, "--format", {"xls", "html", "xml", "mdb"}, -1, error);
    if (!error.empty())
        return error;
    if (request.Format < 0)
        return Tr("the format is missing (--format xls, html, xml or mdb)");
    request.List.SortColumns = {{"title", false}};
    if (a.Has("--sort")) {
        request.List.SortColumns.clear();
        if (!ParseSort(a.Values.at("--sort"), request.List.SortColumns, bad))
            return FillText(Tr("cannot sort by \"%s\""), {bad});
    }
    if (!ReadCodePage(a, request.CodePage, error))
        return error;
    if (a.Positionals.size() != 1 || a.Positionals[0].empty())
        return Tr("give one output file");
    request.Out = a.Positionals[0];
    std::error_code ec;
    if (request.Format == AccessFormat && !a.Has("--overwrite") && std::filesystem::exists(request.Out, ec))
        return FillText(Tr("\"%s\" exists; give --overwrite to replace it"), {request.Out});
    return {};
}

// Exports the list of the open catalogue as asked; the exit code.
int Export(TCatalogueConnection& db, const TExportRequest& request) {
    const TExportKind kinds[] = {ekExcel, ekHTML, ekXML};
    const std::string& out = request.Out;
    try {
        BrowseInput unsorted = request.List;
        unsorted.SortColumns.clear();
        TCatalogueExportSource source(db, SongsBrowseSQL(request.List), SongsBrowseSQL(unsorted));
        if (request.Format == AccessFormat)
            return ExportAccess(source, out);
        return Report(ExportWithProgress(request.CodePage,
                                         [&](const TExportOptions& options) {
                                             return ExportCatalogue(source, kinds[request.Format], out,
                                                                    options);
                                         }),
                      out);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", ExportFailureText(out, e.what()).c_str());
        return ExitFailure;
    }
}

} // namespace

std::string ExportSummary() {
    return Tr("export a catalogue as an Excel worksheet, an HTML page, an XML document or an MS Access "
              "database");
}

int RunExportCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(args, {{"--db", true},
                                           {"--format", true},
                                           {"--sort", true},
                                           {"--encoding", true},
                                           {"--overwrite", false},
                                           {"--help", false},
                                           {"--version", false}});
    int exit = ExitOk;
    if (CommandDone("export", a, PrintExportHelp, exit))
        return exit;
    TExportRequest request;
    const std::string error = ReadExportRequest(a, request);
    if (!error.empty())
        return UsageError("export", error);
    if (IsReadOnlyTarget(request.Out)) {
        std::fprintf(stderr, "%s\n", ReadOnlyTargetText(request.Out).c_str());
        return ExitFailure;
    }
    TCatalogueConnection db;
    if (!OpenCatalogueForCli(db, a.Values.at("--db")))
        return ExitFailure;
    return Export(db, request);
}
