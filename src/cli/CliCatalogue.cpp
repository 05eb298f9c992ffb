#include "cli/CliCatalogue.h"

#include "catalogue/TextConvert.h"
#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "settings/Translate.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* const TablatureColumns[] = {"title", "artist",   "album",    "year",    "words",
                                        "music", "filename", "filesize", "filedate"};

void PrintFailure(const std::string& path, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), message.c_str());
}

} // namespace

bool OpenCatalogueForCli(TCatalogueConnection& db, const std::string& path) {
    try {
        db.Open(path);
        return true;
    } catch (const EDatabaseError& e) {
        PrintFailure(path, e.what());
        return false;
    }
}

void PrintCommandHelp(const std::string& usage, const std::string& description,
                      const std::vector<std::pair<std::string, std::string>>& options,
                      const std::vector<std::string>& notes) {
    std::printf("%s\n\n%s\n\n%s\n", usage.c_str(), description.c_str(), Tr("Options:").c_str());
    for (const auto& [name, text] : options)
        std::printf("  %-16s %s\n", name.c_str(), text.c_str());
    for (const std::string& note : notes)
        std::printf("\n%s\n", note.c_str());
}

std::string EscapingNote() {
    return Tr("Fields are separated by tabs. A backslash, tab, line feed or carriage return inside a value "
              "is written as \\\\, \\t, \\n or \\r; an empty or missing value (such as an unknown year) "
              "is written as nothing.");
}

std::string EscapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void PrintFields(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i)
        line += (i ? "\t" : "") + EscapeField(fields[i]);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

bool FinishOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    std::fprintf(stderr, "%s\n", FillText(Tr("cannot write the output: %s"), {std::strerror(errno)}).c_str());
    return false;
}

int PrintTablatures(TCatalogueConnection& db, const std::string& sql) {
    try {
        TSqlStatement rows = db.Prepare(sql);
        std::vector<int> columns;
        for (const char* name : TablatureColumns)
            columns.push_back(ColumnIndex(rows, name));
        std::vector<std::string> fields(columns.size());
        while (db.Step(rows)) {
            for (size_t i = 0; i < columns.size(); ++i)
                fields[i] = columns[i] < 0 ? std::string() : rows.ColumnText(columns[i]);
            PrintFields(fields);
        }
    } catch (const EDatabaseError& e) {
        return ReadFailure(db.Path(), e.what());
    }
    return FinishOutput() ? ExitOk : ExitFailure;
}

bool CommandDone(const std::string& command, const TCliArgs& args, void (*printHelp)(), int& exit) {
    exit = ExitOk;
    if (!args.Error.empty())
        exit = UsageError(command, args.Error);
    else if (args.Has("--help"))
        printHelp();
    else if (args.Has("--version"))
        PrintVersion();
    else if (!args.Has("--db") || args.Values.at("--db").empty())
        exit = UsageError(command, Tr("the catalogue file is missing (--db FILE)"));
    else
        return false;
    return true;
}

int ChoiceIndex(const TCliArgs& args, const char* option, const std::vector<const char*>& names, int fallback,
                std::string& error) {
    const auto given = args.Values.find(option);
    if (given == args.Values.end())
        return fallback;
    std::string known;
    for (size_t i = 0; i < names.size(); ++i) {
        if (given->second == names[i])
            return static_cast<int>(i);
        known += (i ? ", " : "") + std::string(names[i]);
    }
    error = FillText(Tr("unknown value \"%s\" of %s (known: %s)"), {given->second, option, known});
    return -1;
}

bool OpenForReading(const std::string& command, const TCliArgs& args, void (*printHelp)(),
                    TCatalogueConnection& db, int& exit) {
    if (CommandDone(command, args, printHelp, exit))
        return false;
    if (!args.Positionals.empty()) {
        exit = UsageError(command, FillText(Tr("unexpected argument \"%s\""), {args.Positionals[0]}));
        return false;
    }
    exit = ExitFailure;
    return OpenCatalogueForCli(db, args.Values.at("--db"));
}

int ReadFailure(const std::string& path, const char* message) {
    std::fflush(stdout);
    PrintFailure(path, message);
    return ExitFailure;
}

BrowseInput ListInput(const TCliArgs& args) {
    BrowseInput in;
    in.SortColumns = {{"title", false}};
    in.AllArtists = !args.Has("--artist");
    in.Artist = in.AllArtists ? "" : args.Values.at("--artist");
    in.AllAlbums = !args.Has("--album");
    in.Album = in.AllAlbums ? "" : args.Values.at("--album");
    return in;
}

bool ReadSearchOptions(const TCliArgs& args, BrowseInput& in, std::string& error) {
    in.SearchField = ChoiceIndex(args, "--field", {"title", "artist", "album", "all"}, 3, error);
    if (error.empty())
        in.SearchCompareMode = ChoiceIndex(args, "--match", {"contains", "begins", "equals"}, 0, error);
    if (error.empty())
        in.FileNameSearch = ChoiceIndex(args, "--filenames", {"none", "names", "paths"}, 0, error);
    return error.empty();
}

bool ReadCodePage(const TCliArgs& args, std::string& codePage, std::string& error) {
    codePage = args.Has("--encoding") ? args.Values.at("--encoding") : "";
    if (args.Has("--encoding") && (codePage.empty() || !TAnsiDecoder::IsKnownCodePage(codePage))) {
        error = FillText(Tr("unknown code page \"%s\""), {codePage});
        return false;
    }
    return true;
}
