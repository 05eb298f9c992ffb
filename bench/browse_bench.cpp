// Times the main window over generated catalogues: how long after the user's last input each step
// of a browse script shows its final rows, the main thread's longest busy stretch, and the peak
// memory, against the same SQL texts run on a plain connection.
// Usage: bench_browse [rows...] [--seed N] [--reps N] (default 100000 1000000, seed 1, 3 runs).

#include "BenchSupport.h"
#include "BrowseCatalogue.h"
#include "BrowseWindow.h"
#include "app/QuiravelApplication.h"
#include "browse/ResultSet.h"
#include "catalogue/Sqlite.h"
#include "settings/Translate.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kSqlQuery =
    "SELECT * FROM tablatures WHERE year BETWEEN 1990 AND 1999 ORDER BY artist, title";

struct TTargets {
    double OpenSeconds;
    double StepSeconds;
    double BusyMs;
    double PeakMiB;
};

TTargets TargetsFor(int64_t rows) {
    if (rows <= 100000)
        return {0.5, 0.3, 50, 200};
    return {3.0, 0, 0, 1024};
}

double LoadAverage() {
    double load = 0;
    return getloadavg(&load, 1) == 1 ? load : -1;
}

// The step's texts on a connection of their own, read to the end as the lists read them.
double BaselineSeconds(const std::string& catalogue, const std::vector<std::string>& texts) {
    TSqlConnection db;
    if (!db.Open(catalogue, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX)) {
        std::fprintf(stderr, "%s: %s\n", catalogue.c_str(), db.LastError().c_str());
        std::exit(1);
    }
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& sql : texts)
        RunQuery(db, sql);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Mark(double value, double target) {
    if (target <= 0)
        return " ";
    return value < target ? " " : "!";
}

// The child: one catalogue in the window, a line of figures per step on stdout.
int RunChild(int argc, char** argv, const std::string& catalogue) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TQuiravelApplication app(argc, argv);
    SetLocaleFolder(QV_BUILD_DIR "/locale");
    for (const TStepFigures& step : RunBrowseScript(catalogue, kSqlQuery))
        std::printf("@step\t%s\t%f\t%f\t%f\t%f\t%d\t%d\t%d\t%s\n", step.Name.c_str(), step.Seconds,
                    step.LongestBusyMs, step.PeakMiB, BaselineSeconds(catalogue, step.Sql), step.Artists,
                    step.Albums, step.Tabs, step.Note.c_str());
    std::fflush(stdout);
    return 0;
}

// One step's figures over the runs.
struct TStepRuns {
    std::string Name;
    std::vector<double> Seconds, BusyMs, PeakMiB, Baseline;
    std::string Rows, Note;
};

void AddRun(std::vector<TStepRuns>& steps, const std::string& log) {
    std::ifstream in(log);
    size_t index = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("@step\t", 0) != 0)
            continue;
        std::vector<std::string> f;
        for (size_t at = 6, tab; at <= line.size(); at = tab + 1) {
            tab = std::min(line.find('\t', at), line.size());
            f.push_back(line.substr(at, tab - at));
        }
        f.resize(9);
        if (index == steps.size())
            steps.push_back({f[0], {}, {}, {}, {}, {}, {}});
        TStepRuns& step = steps[index++];
        step.Seconds.push_back(std::atof(f[1].c_str()));
        step.BusyMs.push_back(std::atof(f[2].c_str()));
        step.PeakMiB.push_back(std::atof(f[3].c_str()));
        step.Baseline.push_back(std::atof(f[4].c_str()));
        step.Rows = f[5] + "/" + f[6] + "/" + f[7];
        step.Note = f[8];
    }
}

void PrintSteps(const std::vector<TStepRuns>& steps, const TTargets& targets) {
    std::printf("%-14s %10s %11s %10s %10s %7s   %-22s %s\n", "step", "final rows", "busy max", "peak RSS",
                "baseline", "ratio", "artists/albums/tabs", "(final rows of each run, s)");
    for (const TStepRuns& step : steps) {
        const double seconds = bench::Median(step.Seconds), busy = bench::Median(step.BusyMs);
        const double peak = bench::Median(step.PeakMiB), baseline = bench::Median(step.Baseline);
        const double target = step.Name == "open" ? targets.OpenSeconds : targets.StepSeconds;
        std::string each;
        for (const double s : step.Seconds) {
            char text[32];
            std::snprintf(text, sizeof text, each.empty() ? "%.3f" : " %.3f", s);
            each += text;
        }
        std::printf("%-14s %8.3f s%s %8.1f ms%s %6.1f MiB%s %8.3f s %7.2f   %-22s (%s) %s\n",
                    step.Name.c_str(), seconds, Mark(seconds, target).c_str(), busy,
                    Mark(busy, targets.BusyMs).c_str(), peak, Mark(peak, targets.PeakMiB).c_str(), baseline,
                    baseline > 0 ? seconds / baseline : 0.0, step.Rows.c_str(), each.c_str(),
                    step.Note.c_str());
    }
}

void PrintTargets(int64_t rows) {
    const TTargets t = TargetsFor(rows);
    if (t.StepSeconds > 0)
        std::printf(
            "Targets: open < %.1f s, each step's final rows < %.1f s after its last input, main thread "
            "busy < %.0f ms in one go, peak RSS < %.0f MiB (\"!\" marks a miss).\n",
            t.OpenSeconds, t.StepSeconds, t.BusyMs, t.PeakMiB);
    else
        std::printf("Targets: open < %.1f s, peak RSS < %.0f MiB (\"!\" marks a miss).\n", t.OpenSeconds,
                    t.PeakMiB);
}

// Reads the file once, so that every run finds it in the page cache.
void Warm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
        ;
}

void RunSize(const char* self, int64_t rows, uint64_t seed, int reps) {
    double generated = 0;
    const std::string catalogue = CachedCatalogue(rows, seed, &generated);
    const TCatalogueCounts counts = CountCatalogue(catalogue);
    std::printf("\nCatalogue %s: %lld tablatures, %lld artists, %lld albums (%s); %d runs, medians\n",
                catalogue.c_str(), static_cast<long long>(counts.Tabs),
                static_cast<long long>(counts.Artists), static_cast<long long>(counts.Albums),
                generated > 0 ? ("generated in " + std::to_string(generated).substr(0, 4) + " s").c_str()
                              : "cached",
                reps);
    Warm(catalogue);
    std::printf("Load average before: %.2f on %ld cores\n", LoadAverage(), sysconf(_SC_NPROCESSORS_ONLN));
    std::fflush(stdout);
    const std::string log = "/tmp/quiravel-browse-" + std::to_string(getpid()) + ".log";
    std::vector<TStepRuns> steps;
    double processPeak = 0;
    for (int run = 0; run < reps; ++run) {
        const bench::TChildRun child = bench::SpawnAndWait({self, "--child", catalogue}, "", log);
        if (!WIFEXITED(child.Status) || WEXITSTATUS(child.Status) != 0) {
            std::ifstream in(log);
            std::fprintf(stderr, "The window process failed:\n%s\n",
                         std::string(std::istreambuf_iterator<char>(in), {}).c_str());
            std::exit(1);
        }
        AddRun(steps, log);
        processPeak = std::max(processPeak, static_cast<double>(child.Usage.ru_maxrss) / 1024);
    }
    std::remove(log.c_str());
    const TTargets targets = TargetsFor(rows);
    PrintSteps(steps, targets);
    std::printf("Load average after: %.2f; peak RSS of the window process %.1f MiB%s\n", LoadAverage(),
                processPeak, Mark(processPeak, targets.PeakMiB).c_str());
    PrintTargets(rows);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child")
        return RunChild(argc, argv, argv[2]);
    std::vector<int64_t> sizes;
    uint64_t seed = 1;
    int reps = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (std::string(argv[i]) == "--reps" && i + 1 < argc)
            reps = std::max(1, std::atoi(argv[++i]));
        else
            sizes.push_back(std::atoll(argv[i]));
    }
    if (sizes.empty())
        sizes = {100000, 1000000};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    for (const int64_t rows : sizes)
        RunSize(argv[0], rows, seed, reps);
    return 0;
}
