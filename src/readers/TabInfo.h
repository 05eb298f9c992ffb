#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <climits>

// Base of every failure the program raises on purpose; handlers for it also catch ETabError.
class EQuiravelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Malformed or truncated tablature file; the fixed English message goes verbatim into `errors`.
class ETabError : public EQuiravelError {
public:
    using EQuiravelError::EQuiravelError;
};

// The stream layer failed below the reader (an I/O error, not an end of file).
class EStreamError : public EQuiravelError {
public:
    EStreamError() : EQuiravelError("Stream read error") {}
};

enum TabEncoding : int32_t { teAnsi = 0, teUtf8 = 1, teUtf16 = 2 };

constexpr size_t TabTextSize = 512;
constexpr size_t TabPathSize = PATH_MAX;

// One file's header as every reader delivers it; plain and fixed-size on purpose.
struct TabInfo {
    char Title[TabTextSize];
    char Artist[TabTextSize];
    char Album[TabTextSize];
    int32_t Year;
    char Words[TabTextSize];
    char Music[TabTextSize];
    char FileName[TabPathSize];
    int32_t FileSize;
    uint32_t FileDate;
    int32_t Encoding;
};
