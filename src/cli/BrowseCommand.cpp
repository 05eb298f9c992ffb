#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "settings/Translate.h"

#include <filesystem>

namespace {

void PrintBrowseHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli browse --db FILE [--artist NAME] [--album NAME] [--folder PATH]"),
        Tr("Prints the tablatures of the catalogue FILE as the main window lists them, sorted by title, one "
           "line each: title, artist, album, year, words, music, file name, size in bytes and date. Without "
           "options: every tablature."),
        {
            {"--db FILE", Tr("the catalogue to read")},
            {"--artist NAME", Tr("only the tablatures of this artist (\"\" for those without an artist)")},
            {"--album NAME", Tr("only the tablatures of this album (\"\" for those without an album)")},
            {"--folder PATH", Tr("only the tablatures directly in this folder, none of its sub-folders")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {EscapingNote()});
}

// The folder as the catalogue stores the directory part of a path: absolute, without a trailing
// separator (the root folder becomes the empty text, which lists the files directly in it).
std::string StoredFolder(const std::string& folder) {
    std::string path = std::filesystem::absolute(folder).lexically_normal().string();
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string BrowseSummary() {
    return Tr("print the tablatures of a catalogue, of an artist, album or folder");
}

int RunBrowseCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(args, {{"--db", true},
                                           {"--artist", true},
                                           {"--album", true},
                                           {"--folder", true},
                                           {"--help", false},
                                           {"--version", false}});
    int exit = ExitOk;
    if (CommandDone("browse", a, PrintBrowseHelp, exit))
        return exit;
    if (!a.Positionals.empty())
        return UsageError("browse", FillText(Tr("unexpected argument \"%s\""), {a.Positionals[0]}));
    const bool folderMode = a.Has("--folder");
    if (folderMode && (a.Has("--artist") || a.Has("--album")))
        return UsageError("browse", Tr("--folder cannot be combined with --artist or --album"));
    if (folderMode && a.Values.at("--folder").empty())
        return UsageError("browse", Tr("the folder is missing (--folder PATH)"));
    BrowseInput in = ListInput(a);
    if (folderMode)
        in.FolderPath = StoredFolder(a.Values.at("--folder"));

    TCatalogueConnection db;
    if (!OpenCatalogueForCli(db, a.Values.at("--db")))
        return ExitFailure;
    return PrintTablatures(db, folderMode ? FolderSQL(in) : SongsBrowseSQL(in));
}
