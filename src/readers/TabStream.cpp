#include "readers/TabStream.h"

#include "readers/TabInfo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TMemoryTabStream::TMemoryTabStream(const void* data, size_t size)
    : Data(static_cast<const unsigned char*>(data)), Length(size) {}

size_t TMemoryTabStream::Read(void* buffer, size_t count) {
    const size_t n = std::min(count, Length - Pos);
    if (n > 0)
        std::memcpy(buffer, Data + Pos, n);
    Pos += n;
    return n;
}

TFileTabStream::~TFileTabStream() {
    Close();
}

bool TFileTabStream::Open(const char* path) {
    return OpenAt(AT_FDCWD, path);
}

// O_NONBLOCK: opening a fifo must not wait for a writer before fstat refuses it.
bool TFileTabStream::OpenAt(int dirFd, const char* name) {
    Close();
    const int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool statFailed = ::fstat(fd, &st) != 0;
    if (statFailed || !S_ISREG(st.st_mode)) {
        // After a successful fstat errno is stale, so a fifo or device gets EINVAL of its own.
        const int err = statFailed ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = err;
        return false;
    }
    Fd = fd;
    FileSize = static_cast<uint64_t>(st.st_size);
    MTime = st.st_mtim.tv_sec;
    Pos = 0;
    BufStart = BufEnd = 0;
    ReadSize = FirstReadSize;
    return true;
}

void TFileTabStream::Close() {
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
}

size_t TFileTabStream::Read(void* buffer, size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count && Fd >= 0) {
        if (BufStart == BufEnd) {
            ssize_t got;
            do
                got = ::read(Fd, Buffer, ReadSize);
            while (got < 0 && errno == EINTR);
            ReadSize = BufferSize;
            if (got < 0)
                throw EStreamError();
            if (got == 0)
                break;
            BufStart = 0;
            BufEnd = static_cast<size_t>(got);
        }
        const size_t n = std::min(count - done, BufEnd - BufStart);
        std::memcpy(out + done, Buffer + BufStart, n);
        BufStart += n;
        done += n;
    }
    Pos += done;
    return done;
}
