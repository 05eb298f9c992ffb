#pragma once

#include "../catalogue/CatalogueFixtures.h"
#include "../catalogue/OldCatalogues.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

struct TRun {
    int Exit;
    std::string Out, Err;
};

// The argument vector of "quiravel-cli ARGS"; it points into args.
inline std::vector<char*> CliArgv(const std::vector<std::string>& args) {
    std::vector<char*> argv = {const_cast<char*>(QV_BUILD_DIR "/quiravel-cli")};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Runs quiravel-cli in English, with the extra environment variables, stdout and stderr in files
// (so not on a terminal), and in cwd when one is given.
inline TRun RunCliProcess(const std::vector<std::string>& args, const std::string& cwd = "",
                          const std::vector<std::pair<const char*, const char*>>& env = {}) {
    TTempDir io;
    const std::string out = io / "out", err = io / "err";
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("LANGUAGE", "en", 1);
        for (const auto& [name, value] : env)
            setenv(name, value, 1);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(127);
        std::vector<char*> argv = CliArgv(args);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileBytes(out), FileBytes(err)};
}
