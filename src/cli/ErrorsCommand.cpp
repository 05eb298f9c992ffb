#include "catalogue/Statistics.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "settings/Translate.h"

#include <cstdio>

namespace {

void PrintErrorsHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli errors --db FILE"),
        Tr("Prints the files that the last update of the catalogue FILE could not read, one line "
           "each: the path, then the reason."),
        {
            {"--db FILE", Tr("the catalogue to read")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {EscapingNote()});
}

} // namespace

std::string ErrorsSummary() {
    return Tr("print the files a catalogue's last update could not read");
}

int RunErrorsCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(args, {{"--db", true}, {"--help", false}, {"--version", false}});
    int exit = ExitOk;
    if (CommandDone("errors", a, PrintErrorsHelp, exit))
        return exit;
    if (!a.Positionals.empty())
        return UsageError("errors", FillText(Tr("unexpected argument \"%s\""), {a.Positionals[0]}));
    const std::string path = a.Values.at("--db");
    TCatalogueConnection db;
    if (!OpenCatalogueForCli(db, path))
        return ExitFailure;
    try {
        for (const TErrorEntry& entry : ReadErrorList(db))
            PrintFields({entry.FileName, entry.Error});
    } catch (const EDatabaseError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
        return ExitFailure;
    }
    return FinishOutput() ? ExitOk : ExitFailure;
}
