#pragma once

#include <cstddef>
#include <string>

#include "readers/TabInfo.h"

// A write to an export target failed; the message is the system's own text.
class EWriteError : public EQuiravelError {
public:
    using EQuiravelError::EQuiravelError;
};

// Where the writers put their bytes. Write delivers all count bytes or raises EWriteError.
class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Write(const void* data, size_t count) = 0;
};

// Collects the bytes in memory (tests, benchmarks).
class TStringSink : public TByteSink {
public:
    void Write(const void* data, size_t count) override {
        Data.append(static_cast<const char*>(data), count);
    }
    const std::string& Str() const { return Data; }

private:
    std::string Data;
};

// A file created or truncated by Create. Writes are gathered into large blocks, so a write failure
// may surface at a later Write or at Close; Close must be called to learn that everything landed.
class TFileSink : public TByteSink {
public:
    TFileSink() = default;
    ~TFileSink() override;
    TFileSink(const TFileSink&) = delete;
    TFileSink& operator=(const TFileSink&) = delete;

    void Create(const std::string& path);
    void Write(const void* data, size_t count) override;
    void Close();

private:
    static constexpr size_t BlockSize = 64 * 1024;
    void Flush();
    int Fd = -1;
    std::string Block;
};
