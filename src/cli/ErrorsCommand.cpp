#include "catalogue/Statistics.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "settings/Translate.h"

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
    TCatalogueConnection db;
    int exit = ExitOk;
    if (!OpenForReading("errors", a, PrintErrorsHelp, db, exit))
        return exit;
    try {
        for (const TErrorEntry& entry : ReadErrorList(db))
            PrintFields({entry.FileName, entry.Error});
    } catch (const EDatabaseError& e) {
        return ReadFailure(a.Values.at("--db"), e.what());
    }
    return FinishOutput() ? ExitOk : ExitFailure;
}
