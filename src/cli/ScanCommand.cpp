#include "catalogue/CatalogueConnection.h"
#include "catalogue/ScanThread.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliCommands.h"
#include "cli/CliProgress.h"
#include "readers/TabFormats.h"
#include "settings/Translate.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr size_t MaxFolders = 20;
constexpr auto RedrawInterval = 100ms;

void PrintScanHelp() {
    PrintCommandHelp(
        Tr("Usage: quiravel-cli scan --db FILE [OPTIONS] FOLDER..."),
        Tr("Catalogues the tablature files under 1 to 20 folders into the catalogue FILE, replacing "
           "what it held."),
        {
            {"--db FILE", Tr("the catalogue to write (created when missing)")},
            {"--types LIST", Tr("families to read, comma-separated: gp, ptb, tg, tef (default: all)")},
            {"--encoding CP",
             Tr("code page of non-Unicode texts, such as cp1251 (default: that of the language)")},
            {"--help", Tr("show this help and exit")},
            {"--version", Tr("show the version and exit")},
        },
        {Tr("Ctrl+C stops the scan and keeps the files read until then.")});
}

// "gp,ptb" -> the family bits; 0 when a name is unknown (bad is set to it).
uint8_t ParseTypes(const std::string& list, std::string& bad) {
    const std::pair<const char*, uint8_t> names[] = {
        {"gp", ttGuitarPro}, {"ptb", ttPowerTab}, {"tg", ttTuxGuitar}, {"tef", ttTablEdit}};
    uint8_t types = 0;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, comma - start);
        uint8_t bit = 0;
        for (const auto& [n, b] : names)
            if (name == n)
                bit = b;
        if (!bit) {
            bad = name;
            return 0;
        }
        types |= bit;
        start = comma + 1;
    }
    return types;
}

// Paths in the catalogue are absolute, as the scan stores them as it joins them.
std::string AbsoluteFolder(const std::string& folder) {
    std::string path = std::filesystem::absolute(folder).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Hands the worker's progress texts to the main thread. The worker waits in ShowProgress until
// the main thread has taken its texts or has closed the hand-off; once closed, nothing waits.
class TProgressHandOff : public IScanProgress {
public:
    void ShowProgress(const std::string& stage, const std::string& folder) override {
        std::unique_lock<std::mutex> lock(Lock);
        if (Closed)
            return;
        Stage = stage;
        Folder = folder;
        Pending = true;
        Changed.notify_all();
        Changed.wait(lock, [this] { return !Pending || Closed; });
    }
    void ScanEnded() override {
        std::lock_guard<std::mutex> lock(Lock);
        Ended = true;
        Changed.notify_all();
    }
    // Main thread: waits up to timeout for texts or the end; takes the texts. True once ended.
    bool Serve(std::chrono::milliseconds timeout, std::string& stage, std::string& folder) {
        std::unique_lock<std::mutex> lock(Lock);
        Changed.wait_for(lock, timeout, [this] { return Pending || Ended; });
        if (Pending) {
            stage = Stage;
            folder = Folder;
            Pending = false;
            Changed.notify_all();
        }
        return Ended;
    }
    void Close() {
        std::lock_guard<std::mutex> lock(Lock);
        Closed = true;
        Changed.notify_all();
    }

private:
    std::mutex Lock;
    std::condition_variable Changed;
    std::string Stage, Folder;
    bool Pending = false, Ended = false, Closed = false;
};

// Cuts UTF-8 text to at most columns code points.
std::string FitColumns(const std::string& text, size_t columns) {
    size_t points = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++points > columns)
            return text.substr(0, i);
    return text;
}

void DrawProgressLine(const std::string& stage, const std::string& folder, int added, int errors) {
    winsize ws{};
    const size_t width = ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1 ? ws.ws_col : 80;
    // Appended piece by piece: GCC 12 warns falsely about a literal put before a temporary string.
    std::string line = "[";
    line += FillText(TrN("%d tablature", "%d tablatures", added), {std::to_string(added)});
    line += ", ";
    line += FillText(TrN("%d error", "%d errors", errors), {std::to_string(errors)});
    line += "] ";
    line += stage;
    if (!folder.empty()) {
        line += ' ';
        line += folder;
    }
    std::fprintf(stderr, "\r%s\x1b[K", FitColumns(line, width - 1).c_str());
    std::fflush(stderr);
}

std::string CompletionText(int added, int errors, int64_t ms) {
    const auto t = static_cast<uint32_t>(ms);
    const uint32_t minutes = t / 60000, seconds = t / 1000 - 60 * minutes;
    std::string text =
        FillText(Tr("Finished in %d min., %d sec., "), {std::to_string(minutes), std::to_string(seconds)}) +
        FillText(TrN("%d tablature total.", "%d tablatures total.", added), {std::to_string(added)});
    if (errors > 0) {
        text += ' ';
        text += FillText(
            TrN("There was %d error updating database.", "There was %d errors updating database.", errors),
            {std::to_string(errors)});
    }
    return text;
}

// Runs the scan on its worker while this thread serves the hand-off, draws the live line and
// turns Ctrl+C into a termination request.
void RunWithProgress(TScanThread& scan, TProgressHandOff& progress) {
    const TCliRunScope run;
    std::string stage = Tr("Starting..."), folder;
    auto lastDraw = std::chrono::steady_clock::now() - RedrawInterval;
    scan.Start();
    for (bool ended = false; !ended;) {
        ended = progress.Serve(RedrawInterval, stage, folder);
        if (run.Stop().load())
            scan.Terminate();
        const auto now = std::chrono::steady_clock::now();
        if (run.Live() && !ended && now - lastDraw >= RedrawInterval) {
            DrawProgressLine(stage, folder, scan.Added(), scan.ErrorCount());
            lastDraw = now;
        }
    }
    progress.Close();
    scan.WaitFor();
}

} // namespace

std::string ScanSummary() {
    return Tr("catalogue the tablatures of folders into a catalogue file");
}

// An older catalogue is upgraded first, as the main window does when it opens one, so that the
// scan can rewrite it; anything that does not open is left to the scan's own checks.
static void BringToCurrentVersion(const std::string& path) {
    if (access(path.c_str(), F_OK) != 0)
        return;
    try {
        TCatalogueConnection().Open(path);
    } catch (const EDatabaseError&) {
    }
}

int RunScanCommand(const std::vector<std::string>& args) {
    const TCliArgs a = ParseCliArgs(
        args,
        {{"--db", true}, {"--types", true}, {"--encoding", true}, {"--help", false}, {"--version", false}});
    int exit = ExitOk;
    if (CommandDone("scan", a, PrintScanHelp, exit))
        return exit;
    if (a.Positionals.empty() || a.Positionals.size() > MaxFolders)
        return UsageError("scan", FillText(Tr("give 1 to %d folders"), {std::to_string(MaxFolders)}));
    std::string bad;
    const uint8_t types = a.Has("--types") ? ParseTypes(a.Values.at("--types"), bad) : ttAll;
    if (!types)
        return UsageError("scan",
                          FillText(Tr("unknown tablature type \"%s\" (known: gp, ptb, tg, tef)"), {bad}));
    std::string codePage, error;
    if (!ReadCodePage(a, codePage, error))
        return UsageError("scan", error);

    std::vector<std::string> folders;
    for (const std::string& f : a.Positionals)
        folders.push_back(AbsoluteFolder(f));
    BringToCurrentVersion(a.Values.at("--db"));
    TProgressHandOff progress;
    TScanThread scan(folders, types, a.Values.at("--db"), &progress, codePage);
    RunWithProgress(scan, progress);

    if (!scan.Failure().empty()) {
        std::fprintf(stderr, "%s\n", scan.Failure().c_str());
        return ExitFailure;
    }
    std::printf("%s\n", CompletionText(scan.Added(), scan.ErrorCount(), scan.Elapsed()).c_str());
    return ExitOk;
}
