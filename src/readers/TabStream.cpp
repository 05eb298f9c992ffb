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

TFileTabStream::~TFileTabStream() { Close(); }

bool TFileTabStream::Open(const char* path) {
    Close();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EINVAL);
        ::close(fd);
        errno = err;
        return false;
    }
    Fd = fd;
    FileSize = static_cast<uint64_t>(st.st_size);
    MTime = st.st_mtim.tv_sec;
    Pos = 0;
    BufStart = BufEnd = 0;
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
                got = ::read(Fd, Buffer, BufferSize);
            while (got < 0 && errno == EINTR);
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
