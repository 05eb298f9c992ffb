// bench_scan [options] TREE
// bench_scan [options] --generate N [--seed S]
// Times, on the same warm tree and in one run: (a) the least work any scanner must do (walk,
// open, read the first 4 KiB, fstat, close), (b) `quiravel-cli scan` into a new catalogue and
// (c) the same scan into the catalogue (b) left. Prints the median of each, files per second,
// the ratios b/a and c/a, and the peak memory of the scanning process.

#include "BenchSupport.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using bench::Median;

struct Options {
    std::string Tree;
    std::string Cli;
    int Reps = 3;
    long long Generate = 0;
    std::string Seed = "1";
    bool Keep = false;
};

bool IsTabFile(std::string_view name) {
    static const std::string_view exts[] = {".gtp", ".gp3", ".gp4", ".gp5", ".gpx", ".ptb", ".tg", ".tef"};
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot > 4)
        return false;
    char ext[5] = {};
    for (size_t i = dot; i < name.size(); ++i)
        ext[i - dot] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return std::find(std::begin(exts), std::end(exts), std::string_view(ext)) != std::end(exts);
}

struct WalkCount {
    size_t Files = 0;
    uint64_t Bytes = 0;
};

// The baseline: depth-first readdir walk; each tablature file is opened, its first 4 KiB read,
// fstat'ed and closed. The full path is built as every scanner must to record it.
void Walk(std::string& path, WalkCount& count, size_t readSize) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return;
    static char buffer[1 << 16];
    const size_t base = path.size();
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        path.resize(base);
        path.append("/").append(name);
        unsigned char type = e->d_type;
        struct stat st;
        if (type == DT_UNKNOWN && ::fstatat(dirfd(dir), e->d_name, &st, 0) == 0)
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        if (type == DT_DIR) {
            Walk(path, count, readSize);
        } else if (type == DT_REG && IsTabFile(name)) {
            const int fd = ::openat(dirfd(dir), e->d_name, O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            for (size_t got = 0; got < readSize;) {
                const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, readSize - got));
                if (n <= 0)
                    break;
                got += static_cast<size_t>(n);
                count.Bytes += static_cast<uint64_t>(n);
            }
            if (::fstat(fd, &st) == 0)
                ++count.Files;
            ::close(fd);
        }
    }
    path.resize(base);
    ::closedir(dir);
}

WalkCount WalkTree(const std::string& tree, size_t readSize) {
    std::string path = tree;
    WalkCount count;
    Walk(path, count, readSize);
    return count;
}

struct RunResult {
    double Seconds = 0;
    double CpuSeconds = 0;
    long PeakKiB = 0;
};

// Runs args[0] with output into logPath and returns its wall time, CPU time and peak RSS. The
// peak is ru_maxrss of this one child; a forked child starts as a copy of this small process, and
// the peak is a maximum, so it is the scanner's own.
RunResult RunChild(const std::vector<std::string>& args, const std::string& logPath) {
    const bench::TChildRun run = bench::SpawnAndWait(args, "", logPath);
    const rusage& usage = run.Usage;
    const int status = run.Status;
    RunResult r;
    r.Seconds = run.Seconds;
    r.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.PeakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d); its output:\n", args[0].c_str(), status);
        if (FILE* f = std::fopen(logPath.c_str(), "r")) {
            char line[4096];
            while (std::fgets(line, sizeof line, f))
                std::fputs(line, stderr);
            std::fclose(f);
        }
        std::exit(1);
    }
    return r;
}

int Usage() {
    std::fprintf(stderr, "usage: bench_scan [--cli PATH] [--reps N] [--keep] TREE\n"
                         "       bench_scan [--cli PATH] [--reps N] [--keep] --generate N [--seed S]\n"
                         "  --cli       the quiravel-cli to time (default: the one next to bench_scan)\n"
                         "  --reps      repetitions of each measurement, the median is reported (default 3)\n"
                         "  --generate  first write a tree of N tablature files into a temporary folder\n"
                         "  --keep      keep the temporary folder (generated tree and catalogue)\n");
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--cli" && hasValue)
            o.Cli = argv[++i];
        else if (a == "--reps" && hasValue)
            o.Reps = std::max(1, std::atoi(argv[++i]));
        else if (a == "--generate" && hasValue)
            o.Generate = std::atoll(argv[++i]);
        else if (a == "--seed" && hasValue)
            o.Seed = argv[++i];
        else if (a == "--keep")
            o.Keep = true;
        else if (a.starts_with("-") || !o.Tree.empty())
            return false;
        else
            o.Tree = a;
    }
    return o.Generate > 0 ? o.Tree.empty() : !o.Tree.empty();
}

double CpuSecondsOfSelf() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Medians of wall and CPU time of a row's runs.
struct Medians {
    double Time, Cpu;
};

Medians MediansOf(const std::vector<RunResult>& runs) {
    std::vector<double> times, cpu;
    for (const RunResult& r : runs)
        times.push_back(r.Seconds), cpu.push_back(r.CpuSeconds);
    return {Median(times), Median(cpu)};
}

// CPU time leaves out waits (disk syncs) but suffers less from other work on the machine.
void PrintRow(const char* label, const std::vector<RunResult>& runs, size_t files, Medians baseline) {
    const Medians m = MediansOf(runs);
    long peak = 0;
    for (const RunResult& r : runs)
        peak = std::max(peak, r.PeakKiB);
    std::printf("%-27s %8.3f s %9.0f  %6.2f  %8.3f s  %6.2f", label, m.Time,
                static_cast<double>(files) / m.Time, m.Time / baseline.Time, m.Cpu, m.Cpu / baseline.Cpu);
    if (peak > 0)
        std::printf("  %7.1f MiB", static_cast<double>(peak) / 1024.0);
    else
        std::printf("  %11s", "-");
    std::printf("    (");
    for (size_t i = 0; i < runs.size(); ++i)
        std::printf("%s%.3f", i ? " " : "", runs[i].Seconds);
    std::printf(")\n");
}

void PrintLoad(const char* when) {
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        double load = 0;
        if (std::fscanf(f, "%lf", &load) == 1)
            std::printf("Load average %s: %.2f on %ld cores\n", when, load, ::sysconf(_SC_NPROCESSORS_ONLN));
        std::fclose(f);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o))
        return Usage();
    const fs::path self = fs::canonical("/proc/self/exe").parent_path();
    if (o.Cli.empty())
        o.Cli = (self / "quiravel-cli").string();

    std::string work = (fs::temp_directory_path() / "quiravel-bench-XXXXXX").string();
    if (!::mkdtemp(work.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    if (o.Generate > 0) {
        o.Tree = work + "/tree";
        RunChild({(self / "bench_gen_tree").string(), o.Tree, std::to_string(o.Generate), o.Seed},
                 work + "/gen.log");
    }
    o.Tree = fs::canonical(o.Tree).string();
    const std::string db = work + "/bench.db3", log = work + "/scan.log";

    // Warm the page cache with everything a scan may read.
    const WalkCount all = WalkTree(o.Tree, SIZE_MAX);
    std::printf("Tree %s: %zu tablature files, %.1f MiB; %d repetitions, medians\n", o.Tree.c_str(),
                all.Files, static_cast<double>(all.Bytes) / 1048576.0, o.Reps);
    // Other work on the machine skews wall times; the load shows how much there was.
    PrintLoad("before");

    std::vector<RunResult> base, scan, rescan;
    size_t files = 0;
    const std::vector<std::string> scanArgs = {o.Cli, "scan", "--db", db, o.Tree};
    for (int rep = 0; rep < o.Reps; ++rep) {
        RunResult walk;
        const double cpu = CpuSecondsOfSelf();
        const auto start = Clock::now();
        files = WalkTree(o.Tree, 4096).Files;
        walk.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
        walk.CpuSeconds = CpuSecondsOfSelf() - cpu;
        base.push_back(walk);

        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            ::unlink((db + suffix).c_str());
        scan.push_back(RunChild(scanArgs, log));
        rescan.push_back(RunChild(scanArgs, log));
    }

    PrintLoad("after");
    const Medians a = MediansOf(base);
    std::printf("%-27s %10s %9s  %6s  %10s  %6s  %11s    %s\n", "", "time", "files/s", "ratio", "cpu",
                "ratio", "peak RSS", "(each run, s)");
    PrintRow("(a) walk+open+read+fstat", base, files, a);
    PrintRow("(b) scan, new catalogue", scan, files, a);
    PrintRow("(c) rescan, same catalogue", rescan, files, a);
    std::printf("Targets on 100,000 files: b/a and c/a at most 1.5, peak RSS under 64 MiB.\n");
    std::printf("Output of the last scan:\n");
    if (FILE* f = std::fopen(log.c_str(), "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, f))
            std::printf("  %s", line);
        std::fclose(f);
    }
    if (o.Keep)
        std::printf("Kept %s\n", work.c_str());
    else
        fs::remove_all(work);
    return 0;
}
