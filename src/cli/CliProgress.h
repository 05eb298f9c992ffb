#pragma once

#include <atomic>
#include <csignal>

// One long run of a command (an export, an archiving): while the object lives, Ctrl+C (SIGINT) sets
// Stop() instead of ending the program, and a second Ctrl+C ends it at once. On a terminal
// (Live()) the caller may draw a progress bar on stderr, which the destructor clears.
//
// Thread safety: one run at a time; the stop flag is set from the signal handler.
class TCliRunScope {
public:
    TCliRunScope();
    ~TCliRunScope();
    TCliRunScope(const TCliRunScope&) = delete;
    TCliRunScope& operator=(const TCliRunScope&) = delete;

    bool Live() const { return IsLive; }
    const std::atomic<bool>& Stop() const;

private:
    bool IsLive;
    struct sigaction Previous {};
};

// Draws "[####    ]  50%" over the current line of stderr.
void DrawProgressBar(int percent);
