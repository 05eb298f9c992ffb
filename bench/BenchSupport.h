#pragma once

// Helpers shared by the benchmark programs.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <span>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Reproducible random numbers and capitalised titles made of words from a fixed list. The engine
// is a parameter so each benchmark keeps generating the same catalogue as before.
template <class Engine> class TWordGenerator {
public:
    TWordGenerator(std::span<const char* const> words, uint64_t seed) : Vocabulary(words), Rng(seed) {}
    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(Rng); }
    std::string Words(int lo, int hi) {
        std::string text;
        for (int n = Between(lo, hi); n > 0; --n) {
            std::string word = Vocabulary[Between(0, static_cast<int>(Vocabulary.size()) - 1)];
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
            text += (text.empty() ? "" : " ") + word;
        }
        return text;
    }

private:
    std::span<const char* const> Vocabulary;
    Engine Rng;
};

struct TChildRun {
    int Status = 0;
    double Seconds = 0;
    rusage Usage{};
};

// Runs args[0] (looked up on PATH when it has no slash) with stdin from input when that is not
// empty, and stdout and stderr into log; waits for it. Exits when it cannot be started.
inline TChildRun SpawnAndWait(const std::vector<std::string>& args, const std::string& input,
                              const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty())
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        std::fprintf(stderr, "Cannot run %s: %s\n", argv[0], std::strerror(err));
        std::exit(1);
    }
    TChildRun run;
    while (::wait4(pid, &run.Status, 0, &run.Usage) < 0 && errno == EINTR) {
    }
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

} // namespace bench
