#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A readable byte source for the readers. Read delivers up to count bytes and returns how many it
// delivered; 0 means the end of the data. I/O failures raise EStreamError.
class TTabStream {
public:
    virtual ~TTabStream() = default;
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Size() const = 0;
};

// A stream over bytes owned by somebody else (tests, fuzz targets).
class TMemoryTabStream : public TTabStream {
public:
    TMemoryTabStream(const void* data, size_t size);
    explicit TMemoryTabStream(const std::string& bytes) : TMemoryTabStream(bytes.data(), bytes.size()) {}
    explicit TMemoryTabStream(std::string&&) = delete; // would outlive its bytes
    size_t Read(void* buffer, size_t count) override;
    uint64_t Position() const override { return Pos; }
    uint64_t Size() const override { return Length; }

private:
    const unsigned char* Data;
    size_t Length;
    size_t Pos = 0;
};

// A read-only file, buffered so that the readers' byte-sized reads stay cheap. The first read
// asks for no more than most headers need. Opening fails for anything but a regular file, so
// fifos and devices are never read; symbolic links are followed.
class TFileTabStream : public TTabStream {
public:
    TFileTabStream() = default;
    ~TFileTabStream() override;
    TFileTabStream(const TFileTabStream&) = delete;
    TFileTabStream& operator=(const TFileTabStream&) = delete;

    // Returns false with errno set when the file cannot be opened.
    bool Open(const char* path);
    // Opens name relative to the open folder dirFd (or AT_FDCWD), sparing a walk of the full path.
    bool OpenAt(int dirFd, const char* name);
    void Close();
    size_t Read(void* buffer, size_t count) override;
    uint64_t Position() const override { return Pos; }
    uint64_t Size() const override { return FileSize; }
    // Last-write time of the open file, seconds since the epoch.
    int64_t ModifiedTime() const { return MTime; }

private:
    static constexpr size_t BufferSize = 8192;
    static constexpr size_t FirstReadSize = 4096;
    int Fd = -1;
    uint64_t FileSize = 0;
    uint64_t Pos = 0;
    int64_t MTime = 0;
    size_t BufStart = 0;
    size_t BufEnd = 0;
    size_t ReadSize = FirstReadSize;
    unsigned char Buffer[BufferSize];
};
