#pragma once

// Pieces shared by the Zip archive code: handle owners, the temporary sibling file, attribute and
// time encoding, and the raw copy of entries between archives. Not for use outside src/output.

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_set>
#include <vector>

struct TZipCloser {
    void operator()(void* zip) const noexcept;
};
struct TUnzCloser {
    void operator()(void* unz) const noexcept;
};
using TZipHandle = std::unique_ptr<void, TZipCloser>;
using TUnzHandle = std::unique_ptr<void, TUnzCloser>;

class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : Fd(fd) {}
    ~TFileDescriptor() { Reset(); }
    TFileDescriptor(TFileDescriptor&& other) noexcept : Fd(other.Release()) {}
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;

    int Get() const { return Fd; }
    int Release() noexcept;
    void Reset() noexcept;
    // Closes and reports whether the close succeeded.
    bool Close() noexcept;

private:
    int Fd = -1;
};

// A file created next to a target, removed again unless MoveOver put it in the target's place.
class TSiblingTemp {
public:
    TSiblingTemp() = default;
    ~TSiblingTemp() { Remove(); }
    TSiblingTemp(const TSiblingTemp&) = delete;
    TSiblingTemp& operator=(const TSiblingTemp&) = delete;

    bool Create(const std::string& target, std::string& error);
    const std::string& Path() const { return Name; }
    int Fd() const { return File.Get(); }
    // Flushes the file to disk, gives it the target's permissions when the target exists, and
    // renames it over the target.
    bool MoveOver(const std::string& target, std::string& error);
    void Remove() noexcept;

private:
    std::string Name;
    TFileDescriptor File;
};

// The path to write for target: a symbolic link is followed, so the link itself stays.
std::string ResolveTarget(const std::string& target);

// Replaces each "%s" of format by the next value.
std::string FillZipText(std::string format, std::initializer_list<std::string_view> values);
// The system's text for errno value err.
std::string SystemErrorText(int err);

// Version made by: Unix host (3), format version 2.0.
constexpr unsigned long ZipMadeByUnix = (3ul << 8) | 20ul;
// General purpose flag: names and comments are UTF-8.
constexpr unsigned long ZipUtf8Flag = 0x0800;
// MS-DOS date and time of t in local time, clamped to the range the format holds.
uint32_t ZipDosTime(time_t t);
// External attributes: the Unix mode in the high half, the MS-DOS read-only and folder bits low.
unsigned long ZipExternalAttributes(mode_t mode);
// The "UT" extra field with the modification time in UTC; empty when t does not fit.
std::vector<unsigned char> ZipTimeExtraField(time_t t);
bool IsAscii(std::string_view text);

// Names of the entries of an open archive, in order; false when its directory cannot be read or
// an entry cannot be carried over raw, with that entry's name in badEntry.
bool ReadZipEntryNames(void* unz, std::vector<std::string>& names, std::string& badEntry);
// The archive comment, empty when there is none.
std::string ReadZipComment(void* unz);
// Copies every entry of from whose name is not in skip into to, compressed bytes unchanged.
bool CopyZipEntries(void* from, void* to, const std::unordered_set<std::string>& skip, std::string& error);
