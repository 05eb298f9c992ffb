#include "cli/CliProgress.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::atomic<bool> Interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the SIGINT handler stores into it");

extern "C" void OnInterrupt(int) {
    Interrupted.store(true);
}

} // namespace

TCliRunScope::TCliRunScope() : IsLive(isatty(STDERR_FILENO)) {
    struct sigaction onInterrupt {};
    onInterrupt.sa_handler = OnInterrupt;
    onInterrupt.sa_flags = SA_RESETHAND; // a second Ctrl+C ends the program at once
    sigemptyset(&onInterrupt.sa_mask);
    sigaction(SIGINT, &onInterrupt, &Previous);
}

TCliRunScope::~TCliRunScope() {
    sigaction(SIGINT, &Previous, nullptr);
    if (IsLive)
        std::fputs("\r\x1b[K", stderr);
}

const std::atomic<bool>& TCliRunScope::Stop() const {
    return Interrupted;
}

void DrawProgressBar(int percent) {
    constexpr int Width = 40;
    const int filled = std::clamp(percent, 0, 100) * Width / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(Width - filled, ' ').c_str(), percent);
    std::fflush(stderr);
}
