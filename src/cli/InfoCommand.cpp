#include "catalogue/Statistics.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "settings/Translate.h"

#include <cstdio>
#include <filesystem>

namespace {

using TTableRow = std::vector<std::string>;

void PrintInfoHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli info --db FILE"),
        Tr("Shows the catalogue FILE: its size, its last update, the number of files that update "
           "could not read, and the count and sizes of its tablatures per family."),
        {
            {"--db FILE", Tr("the catalogue to read")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {});
}

size_t CodePoints(const std::string& text) {
    size_t points = 0;
    for (const char c : text)
        points += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return points;
}

// The first column left-aligned, the numbers right-aligned, two blanks between columns.
void PrintTable(const std::vector<TTableRow>& rows) {
    std::vector<size_t> widths(rows.front().size(), 0);
    for (const TTableRow& row : rows)
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], CodePoints(row[c]));
    for (const TTableRow& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(widths[c] - CodePoints(row[c]), ' ');
            line += c == 0 ? row[c] + pad : "  " + pad + row[c];
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::printf("%s\n", line.c_str());
    }
}

std::vector<TTableRow> StatisticsTable(TCatalogueConnection& db) {
    std::vector<TTableRow> table = {
        {Tr("Tablatures"), Tr("Count"), Tr("Total Size (KB)"), Tr("Avg. Size (KB)")}};
    const auto size = [](const std::optional<double>& kb) { return kb ? DecimalText(*kb) : std::string(); };
    for (const TStatRow& row : ReadStatistics(db))
        table.push_back({row.Type == "Total" ? Tr("Total") : row.Type, std::to_string(row.Count),
                         size(row.TotalKb), size(row.AverageKb)});
    return table;
}

} // namespace

std::string InfoSummary() {
    return Tr("show a catalogue's size, last update and statistics");
}

int RunInfoCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(args, {{"--db", true}, {"--help", false}, {"--version", false}});
    TCatalogueConnection db;
    int exit = ExitOk;
    if (!OpenForReading("info", a, PrintInfoHelp, db, exit))
        return exit;
    const std::string& path = a.Values.at("--db");
    try {
        const uintmax_t size = std::filesystem::file_size(path);
        const std::vector<TTableRow> table = StatisticsTable(db);
        std::printf("%s: %s\n%s: %s\n%s: %s\n%s: %d\n\n", Tr("File Name").c_str(), path.c_str(),
                    Tr("File Size").c_str(), FileSizeText(size).c_str(), Tr("Updated").c_str(),
                    LastUpdateText(db).c_str(), Tr("Errors").c_str(), ErrorCountOf(db));
        PrintTable(table);
    } catch (const std::exception& e) {
        return ReadFailure(path, e.what());
    }
    return FinishOutput() ? ExitOk : ExitFailure;
}
