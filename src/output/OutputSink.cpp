#include "output/OutputSink.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace {

[[noreturn]] void RaiseSystemError(int code) {
    throw EWriteError(std::system_category().message(code));
}

} // namespace

TFileSink::~TFileSink() {
    if (Fd >= 0)
        ::close(Fd);
}

void TFileSink::Create(const std::string& path) {
    if (Fd >= 0)
        Close();
    Fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Fd < 0)
        RaiseSystemError(errno);
    Block.reserve(BlockSize);
}

void TFileSink::Write(const void* data, size_t count) {
    if (Fd < 0)
        RaiseSystemError(EBADF);
    if (Block.size() + count > BlockSize)
        Flush();
    if (count >= BlockSize) {
        Block.assign(static_cast<const char*>(data), count);
        Flush();
        return;
    }
    Block.append(static_cast<const char*>(data), count);
}

void TFileSink::Flush() {
    const char* p = Block.data();
    size_t left = Block.size();
    while (left > 0) {
        ssize_t n = ::write(Fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            RaiseSystemError(n < 0 ? errno : EIO);
        p += n;
        left -= static_cast<size_t>(n);
    }
    Block.clear();
}

void TFileSink::Close() {
    if (Fd < 0)
        return;
    try {
        Flush();
    } catch (...) {
        ::close(Fd);
        Fd = -1;
        throw;
    }
    int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        RaiseSystemError(errno);
}
