#include "cli/CliCommands.h"

#include "cli/CliArgs.h"
#include "settings/Translate.h"

#include <clocale>
#include <cstdio>

namespace {

void PrintHelp() {
    std::printf("%s\n\n%s\n", Tr("Usage: quiravel-cli COMMAND [OPTIONS] [ARGUMENTS]").c_str(),
                Tr("Commands:").c_str());
    for (const TCliCommand& c : CliCommands())
        std::printf("  %-10s %s\n", c.Name, c.Summary().c_str());
    std::printf("\n%s\n", Tr("Options:").c_str());
    std::printf("  %-10s %s\n", "--help", Tr("show this help and exit").c_str());
    std::printf("  %-10s %s\n", "--version", Tr("show the version and exit").c_str());
    std::printf("\n%s\n", Tr("Run \"quiravel-cli COMMAND --help\" for the options of a command.").c_str());
}

} // namespace

const std::vector<TCliCommand>& CliCommands() {
    static const std::vector<TCliCommand> commands = {
        {"scan", ScanSummary, RunScanCommand},       {"search", SearchSummary, RunSearchCommand},
        {"browse", BrowseSummary, RunBrowseCommand}, {"info", InfoSummary, RunInfoCommand},
        {"errors", ErrorsSummary, RunErrorsCommand}, {"export", ExportSummary, RunExportCommand},
        {"archive", ArchiveSummary, RunArchiveCommand},
    };
    return commands;
}

void PrintVersion() {
    std::printf("quiravel-cli %s\n", QV_VERSION);
}

int RunCli(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    UseLanguage("");
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    if (args.empty())
        return UsageError("", Tr("no command given"));
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        PrintHelp();
        return ExitOk;
    }
    if (first == "--version") {
        PrintVersion();
        return ExitOk;
    }
    for (const TCliCommand& c : CliCommands())
        if (first == c.Name)
            return c.Run(std::vector<std::string>(args.begin() + 1, args.end()));
    if (first.size() > 1 && first[0] == '-')
        return UsageError("", FillText(Tr("unknown option \"%s\""), {first}));
    return UsageError("", FillText(Tr("unknown command \"%s\""), {first}));
}
