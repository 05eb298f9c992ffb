#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "settings/Translate.h"

namespace {

void PrintSearchHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli search --db FILE [OPTIONS] TEXT"),
        Tr("Searches the catalogue FILE as the main window does and prints the tablatures found, sorted by "
           "title, one line each: title, artist, album, year, words, music, file name, size in bytes and "
           "date."),
        {
            {"--db FILE", Tr("the catalogue to read")},
            {"--field FIELD", Tr("where to search: title, artist, album or all (default: all)")},
            {"--match MODE", Tr("how TEXT matches: contains, begins or equals (default: contains)")},
            {"--filenames MODE", Tr("with --field all, search file paths too: none, names (the file's own "
                                    "name) or paths (the whole path) (default: none)")},
            {"--artist NAME", Tr("only the tablatures of this artist")},
            {"--album NAME", Tr("only the tablatures of this album")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {Tr("In TEXT, \"%\" stands for any text and \"_\" for any one character; ASCII letters match "
            "regardless of case."),
         EscapingNote()});
}

} // namespace

std::string SearchSummary() {
    return Tr("print the tablatures of a catalogue that match a search");
}

int RunSearchCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(args, {{"--db", true},
                                           {"--field", true},
                                           {"--match", true},
                                           {"--filenames", true},
                                           {"--artist", true},
                                           {"--album", true},
                                           {"--help", false},
                                           {"--version", false}});
    int exit = ExitOk;
    if (CommandDone("search", a, PrintSearchHelp, exit))
        return exit;
    BrowseInput in = ListInput(a);
    std::string error;
    if (ReadSearchOptions(a, in, error) && a.Positionals.size() != 1)
        error = Tr("give one search text");
    if (!error.empty())
        return UsageError("search", error);
    in.SearchText = a.Positionals[0];

    TCatalogueConnection db;
    if (!OpenCatalogueForCli(db, a.Values.at("--db")))
        return ExitFailure;
    return PrintTablatures(db, SongsSearchSQL(in));
}
