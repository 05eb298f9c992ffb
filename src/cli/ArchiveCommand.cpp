#include "catalogue/CatalogueConnection.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "cli/CliProgress.h"
#include "output/ZipThread.h"
#include "settings/Translate.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

void PrintArchiveHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli archive --db FILE [--all | --search TEXT [SEARCH OPTIONS] | --query SQL] "
           "[--flat] [--new | --add] OUT.zip"),
        Tr("Copies the tablature files of the catalogue FILE into the Zip archive OUT.zip, deflated at the "
           "highest level, with their modification times and permissions."),
        {
            {"--db FILE", Tr("the catalogue to read")},
            {"--all", Tr("archive every tablature of the catalogue (the default)")},
            {"--search TEXT", Tr("archive the tablatures that the search for TEXT finds")},
            {"--field FIELD", Tr("with --search: title, artist, album or all (default: all)")},
            {"--match MODE", Tr("with --search: contains, begins or equals (default: contains)")},
            {"--filenames MODE", Tr("with --search and --field all: none, names or paths (default: none)")},
            {"--artist NAME", Tr("with --search: only the tablatures of this artist")},
            {"--album NAME", Tr("with --search: only the tablatures of this album")},
            {"--query SQL", Tr("archive the files of the \"filename\" column of this query's rows")},
            {"--flat", Tr("store each file under its own name, without its folders")},
            {"--new", Tr("when OUT.zip exists, replace it with a new archive")},
            {"--add", Tr("when OUT.zip exists, add the files to it")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {Tr("Entries keep the folders of each file's path, without the leading \"/\", unless --flat is "
            "given. A file that no longer exists is skipped. A file added under a name the archive already "
            "holds replaces that entry; two different files of one name in one run are both kept, the "
            "second under a numbered name (\"a (2).gp5\")."),
         Tr("The archive is written next to OUT.zip and put in its place at the end: an interrupted run "
            "(Ctrl+C) keeps the files added so far, and a failure leaves OUT.zip as it was.")});
}

// The SQL of the chosen selection and its mode; false with error set for a wrong combination.
bool ChooseSelection(const TCliArgs& a, TZipJob& job, std::string& error) {
    const int chosen = a.Has("--all") + a.Has("--search") + a.Has("--query");
    if (chosen > 1) {
        error = Tr("choose one of --all, --search and --query");
        return false;
    }
    if (a.Has("--query")) {
        job.Mode = zmDisplayed;
        job.Sql = a.Values.at("--query");
        return true;
    }
    if (!a.Has("--search")) {
        job.Mode = zmAll;
        return true;
    }
    BrowseInput in = ListInput(a);
    if (!ReadSearchOptions(a, in, error))
        return false;
    in.SearchText = a.Values.at("--search");
    job.Mode = zmDisplayed;
    job.Sql = SongsSearchSQL(in);
    in.SortColumns.clear();
    job.UnsortedSql = SongsSearchSQL(in);
    return true;
}

bool OpenArchive(TZipArchive& zip, const TCliArgs& a, const std::string& out) {
    struct stat st {};
    const bool exists = ::stat(out.c_str(), &st) == 0;
    zip.SetPreserveDirs(!a.Has("--flat"));
    const bool opened = exists && a.Has("--add") ? zip.OpenForAdding(out) : zip.Create(out);
    if (!opened)
        std::fprintf(stderr, "%s\n", zip.LastError().c_str());
    return opened;
}

// Runs the job with a progress bar on a terminal; Ctrl+C becomes a stop request.
TZipRunResult ArchiveWithProgress(TZipArchive& zip, const TZipJob& job) {
    const TCliRunScope run;
    TZipProgress progress;
    if (run.Live())
        progress = [](int done, int total) { DrawProgressBar(ZipPercent(done, total)); };
    return RunZipJob(zip, job, run.Stop(), progress);
}

int Report(const TZipRunResult& r, bool closed, const TZipArchive& zip) {
    for (const std::string& renamed : r.Renamed)
        std::fprintf(stderr, "%s\n", FillText(Tr("stored under another name: %s"), {renamed}).c_str());
    if (r.Failed)
        std::fprintf(stderr, "%s\n", r.Error.c_str());
    if (!closed) {
        std::fprintf(stderr, "%s\n", zip.LastError().c_str());
        return ExitFailure;
    }
    if (r.Stopped)
        std::fprintf(stderr, "%s\n", Tr("Stopped; the archive keeps the files added so far.").c_str());
    std::printf("%s\n", FillText(TrN("%d file added, %d missing.", "%d files added, %d missing.", r.Added),
                                 {std::to_string(r.Added), std::to_string(r.Missing)})
                            .c_str());
    if (r.Replaced > 0)
        std::printf("%s\n", FillText(TrN("%d entry of the archive replaced.",
                                         "%d entries of the archive replaced.", r.Replaced),
                                     {std::to_string(r.Replaced)})
                                .c_str());
    return FinishOutput() && !r.Failed && !r.Stopped ? ExitOk : ExitFailure;
}

// Checks the options and fills job; the first usage error, or empty.
std::string ReadArchiveJob(const TCliArgs& a, TZipJob& job) {
    std::string error;
    if (ChooseSelection(a, job, error) && a.Positionals.size() != 1)
        error = Tr("give one archive file");
    if (error.empty() && a.Has("--new") && a.Has("--add"))
        error = Tr("choose one of --new and --add");
    if (!error.empty())
        return error;
    const std::string& out = a.Positionals[0];
    struct stat st {};
    if (::stat(out.c_str(), &st) == 0 && !a.Has("--new") && !a.Has("--add"))
        return FillText(Tr("\"%s\" exists: give --add to add the files to it or --new to replace it"), {out});
    return {};
}

// Adds the job's files to the archive out and reports; the exit code.
int Archive(const TCliArgs& a, const TZipJob& job, const std::string& out) {
    TZipArchive zip;
    if (!OpenArchive(zip, a, out))
        return ExitFailure;
    const TZipRunResult result = ArchiveWithProgress(zip, job);
    if (result.Failed && result.Added == 0) {
        // Nothing was added: an archive that existed stays as it was, rather than emptied by --new.
        zip.Abandon();
        std::fprintf(stderr, "%s\n", result.Error.c_str());
        return ExitFailure;
    }
    const bool closed = zip.Close();
    return Report(result, closed, zip);
}

} // namespace

std::string ArchiveSummary() {
    return Tr("copy the tablature files of a catalogue into a Zip archive");
}

int RunArchiveCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(args, {{"--db", true},
                                           {"--all", false},
                                           {"--search", true},
                                           {"--field", true},
                                           {"--match", true},
                                           {"--filenames", true},
                                           {"--artist", true},
                                           {"--album", true},
                                           {"--query", true},
                                           {"--flat", false},
                                           {"--new", false},
                                           {"--add", false},
                                           {"--help", false},
                                           {"--version", false}});
    int exit = ExitOk;
    if (CommandDone("archive", a, PrintArchiveHelp, exit))
        return exit;
    TZipJob job;
    const std::string error = ReadArchiveJob(a, job);
    if (!error.empty())
        return UsageError("archive", error);
    TCatalogueConnection db;
    if (!OpenCatalogueForCli(db, a.Values.at("--db")))
        return ExitFailure;
    job.Catalogue = &db;
    return Archive(a, job, a.Positionals[0]);
}
