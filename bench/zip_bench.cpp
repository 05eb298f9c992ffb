// bench_zip [--files N] [--reps R] [--seed S] [--keep]
// Generates a tablature tree of N files (default 10,000) with bench_gen_tree, then times, in one
// run on the same warm files: our archiver (a new archive, folders kept) and Info-ZIP's `zip -9`
// fed the same list, each in a child process of its own. Prints the medians, the ratio ours / zip
// (target at most 1.2), and the peak memory of our archiver for a tenth of the files beside the
// whole (target: flat in the number of files).
//
// bench_zip --archive LIST OUT is the child: it archives the paths of LIST, one a line.

#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "output/ZipArchive.h"

namespace fs = std::filesystem;

namespace {

using bench::Median;

struct Options {
    long Files = 10000;
    int Reps = 3;
    std::string Seed = "1";
    bool Keep = false;
};

struct RunResult {
    double Seconds = 0;
    long PeakKiB = 0;
};

// The peak resident size of this process image. ru_maxrss would not do: a spawned child starts
// on its parent's memory, whose high-water mark it keeps across the exec.
long HighWaterKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

int ArchiveList(const char* list, const char* out) {
    TZipArchive zip;
    if (!zip.Create(out)) {
        std::fprintf(stderr, "%s\n", zip.LastError().c_str());
        return 1;
    }
    std::ifstream in(list);
    std::string path;
    long added = 0;
    while (std::getline(in, path)) {
        const TZipAddResult r = zip.AddFile(path);
        if (r.Outcome == TZipAddOutcome::Failed) {
            std::fprintf(stderr, "%s\n", zip.LastError().c_str());
            return 1;
        }
        added += r.Outcome == TZipAddOutcome::Added;
    }
    if (!zip.Close()) {
        std::fprintf(stderr, "%s\n", zip.LastError().c_str());
        return 1;
    }
    std::printf("%ld %ld\n", added, HighWaterKiB());
    return 0;
}

// Runs argv with stdin from input (when given) and stdout, stderr into log; exits on failure.
RunResult RunChild(const std::vector<std::string>& args, const std::string& input, const std::string& log) {
    const bench::TChildRun run = bench::SpawnAndWait(args, input, log);
    const int status = run.Status;
    RunResult r;
    r.Seconds = run.Seconds;
    std::ifstream printed(log);
    long added = 0;
    if (!(printed >> added >> r.PeakKiB))
        r.PeakKiB = 0; // not our archiver: no figure
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d); see %s\n", args[0].c_str(), status, log.c_str());
        std::exit(1);
    }
    return r;
}

bool IsTabFile(const fs::path& path) {
    static const char* exts[] = {".gtp", ".gp3", ".gp4", ".gp5", ".gpx", ".ptb", ".tg", ".tef"};
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::find(std::begin(exts), std::end(exts), ext) != std::end(exts);
}

// Writes the sorted tablature paths of tree to list (the first limit of them); returns their bytes.
uintmax_t WriteList(const std::vector<fs::path>& files, size_t limit, const std::string& list) {
    std::ofstream out(list);
    uintmax_t bytes = 0;
    for (size_t i = 0; i < std::min(limit, files.size()); ++i) {
        out << files[i].string() << '\n';
        bytes += fs::file_size(files[i]);
        std::ifstream warm(files[i], std::ios::binary); // into the page cache
        char buffer[65536];
        while (warm.read(buffer, sizeof buffer)) {
        }
    }
    return bytes;
}

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--files" && hasValue)
            o.Files = std::max(10L, std::atol(argv[++i]));
        else if (a == "--reps" && hasValue)
            o.Reps = std::max(1, std::atoi(argv[++i]));
        else if (a == "--seed" && hasValue)
            o.Seed = argv[++i];
        else if (a == "--keep")
            o.Keep = true;
        else
            return false;
    }
    return true;
}

void PrintRow(const char* label, const std::vector<RunResult>& runs, const std::string& archive) {
    std::vector<double> times;
    long peak = 0;
    for (const RunResult& r : runs) {
        times.push_back(r.Seconds);
        peak = std::max(peak, r.PeakKiB);
    }
    std::printf("%-22s %8.3f s  peak ", label, Median(times));
    if (peak > 0)
        std::printf("%7.1f MiB", peak / 1024.0);
    else
        std::printf("%11s", "-");
    std::printf("  archive %7.1f MiB   (", static_cast<double>(fs::file_size(archive)) / 1048576.0);
    for (size_t i = 0; i < times.size(); ++i)
        std::printf("%s%.3f", i ? " " : "", times[i]);
    std::printf(")\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--archive") == 0)
        return ArchiveList(argv[2], argv[3]);
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        std::fprintf(stderr, "usage: bench_zip [--files N] [--reps R] [--seed S] [--keep]\n");
        return 2;
    }
    const fs::path self = fs::canonical("/proc/self/exe");
    char pattern[] = "/tmp/bench_zip_XXXXXX";
    const std::string work = ::mkdtemp(pattern);
    const std::string tree = work + "/tree";
    RunChild({(self.parent_path() / "bench_gen_tree").string(), tree, std::to_string(o.Files), o.Seed}, "",
             work + "/gen.log");
    std::vector<fs::path> files;
    for (const auto& item : fs::recursive_directory_iterator(tree))
        if (item.is_regular_file() && IsTabFile(item.path()))
            files.push_back(item.path());
    std::sort(files.begin(), files.end());
    const std::string all = work + "/all.list", tenth = work + "/tenth.list";
    const uintmax_t bytes = WriteList(files, files.size(), all);
    WriteList(files, files.size() / 10, tenth);
    std::printf("%zu tablature files, %.1f MiB; %d repetitions, medians\n", files.size(), bytes / 1048576.0,
                o.Reps);

    const std::string ours = work + "/ours.zip", theirs = work + "/zip.zip", small = work + "/tenth.zip";
    std::vector<RunResult> ourRuns, zipRuns, smallRuns;
    for (int rep = 0; rep < o.Reps; ++rep) {
        ourRuns.push_back(RunChild({self.string(), "--archive", all, ours}, "", work + "/ours.log"));
        fs::remove(theirs);
        zipRuns.push_back(RunChild({"zip", "-9", "-q", theirs, "-@"}, all, work + "/zip.log"));
        smallRuns.push_back(RunChild({self.string(), "--archive", tenth, small}, "", work + "/tenth.log"));
    }
    PrintRow("quiravel, all files", ourRuns, ours);
    PrintRow("zip -9, all files", zipRuns, theirs);
    PrintRow("quiravel, a tenth", smallRuns, small);
    std::vector<double> ourTimes, zipTimes;
    long smallPeak = 0, allPeak = 0;
    for (int i = 0; i < o.Reps; ++i) {
        ourTimes.push_back(ourRuns[i].Seconds);
        zipTimes.push_back(zipRuns[i].Seconds);
        smallPeak = std::max(smallPeak, smallRuns[i].PeakKiB);
        allPeak = std::max(allPeak, ourRuns[i].PeakKiB);
    }
    std::printf("time ratio quiravel / zip -9: %.2f (target at most 1.20)\n",
                Median(ourTimes) / Median(zipTimes));
    std::printf("peak memory, all files / a tenth: %.2f (target: about 1)\n",
                static_cast<double>(allPeak) / static_cast<double>(std::max(1L, smallPeak)));
    const bool valid = std::system(("unzip -tqq " + ours + " >/dev/null").c_str()) == 0;
    std::printf("unzip -t on our archive: %s\n", valid ? "passed" : "FAILED");
    if (o.Keep)
        std::printf("kept %s\n", work.c_str());
    else
        fs::remove_all(work);
    return valid ? 0 : 1;
}
