#include "output/ZipSupport.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

void TZipCloser::operator()(void* zip) const noexcept {
    zipClose(zip, nullptr);
}

void TUnzCloser::operator()(void* unz) const noexcept {
    unzClose(unz);
}

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
    if (this != &other) {
        Reset();
        Fd = other.Release();
    }
    return *this;
}

int TFileDescriptor::Release() noexcept {
    int fd = Fd;
    Fd = -1;
    return fd;
}

void TFileDescriptor::Reset() noexcept {
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
}

bool TFileDescriptor::Close() noexcept {
    if (Fd < 0)
        return true;
    int fd = Release();
    return ::close(fd) == 0;
}

namespace {

std::string RandomSuffix() {
    static thread_local std::mt19937 rng{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 8; ++i)
        suffix += digits[rng() % 36];
    return suffix;
}

void SyncFolder(const std::string& folder) {
    TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get()); // the rename is done; a failure here cannot undo it
}

} // namespace

bool TSiblingTemp::Create(const std::string& target, std::string& error) {
    Remove();
    std::filesystem::path path(target);
    std::string folder = path.parent_path().string();
    std::string base = path.filename().string();
    if (folder.empty())
        folder = ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "/." + base + ".part-" + RandomSuffix();
        // 0666 lets the umask decide the permissions of a new archive.
        int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            File = TFileDescriptor(fd);
            Name = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = SystemErrorText(errno);
    return false;
}

bool TSiblingTemp::MoveOver(const std::string& target, std::string& error) {
    struct stat st {};
    bool ok = ::fsync(File.Get()) == 0;
    if (ok && ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ok = ::fchmod(File.Get(), st.st_mode & 07777) == 0;
    ok = File.Close() && ok;
    if (ok)
        ok = ::rename(Name.c_str(), target.c_str()) == 0;
    if (!ok) {
        error = SystemErrorText(errno);
        return false;
    }
    Name.clear();
    std::string folder = std::filesystem::path(target).parent_path().string();
    SyncFolder(folder.empty() ? "." : folder);
    return true;
}

void TSiblingTemp::Remove() noexcept {
    File.Reset();
    if (!Name.empty())
        ::unlink(Name.c_str());
    Name.clear();
}

std::string ResolveTarget(const std::string& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return target;
    char resolved[PATH_MAX];
    return ::realpath(target.c_str(), resolved) ? std::string(resolved) : target;
}

std::string FillZipText(std::string format, std::initializer_list<std::string_view> values) {
    size_t at = 0;
    for (std::string_view value : values) {
        at = format.find("%s", at);
        if (at == std::string::npos)
            break;
        format.replace(at, 2, value);
        at += value.size();
    }
    return format;
}

std::string SystemErrorText(int err) {
    char buffer[256];
    return ::strerror_r(err, buffer, sizeof buffer);
}

uint32_t ZipDosTime(time_t t) {
    struct tm local {};
    if (!::localtime_r(&t, &local) || local.tm_year < 80)
        return (1u << 21) | (1u << 16); // 1980-01-01 00:00, the earliest the format holds
    if (local.tm_year > 207)
        return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (uint32_t(local.tm_year - 80) << 25) | (uint32_t(local.tm_mon + 1) << 21) |
           (uint32_t(local.tm_mday) << 16) | (uint32_t(local.tm_hour) << 11) | (uint32_t(local.tm_min) << 5) |
           uint32_t(local.tm_sec / 2);
}

unsigned long ZipExternalAttributes(mode_t mode) {
    unsigned long dos = 0;
    if (!(mode & S_IWUSR))
        dos |= 0x01;
    if (S_ISDIR(mode))
        dos |= 0x10;
    return (static_cast<unsigned long>(mode & 0xFFFF) << 16) | dos;
}

std::vector<unsigned char> ZipTimeExtraField(time_t t) {
    if (t < 0 || static_cast<unsigned long long>(t) > 0xFFFFFFFFull)
        return {};
    const uint32_t v = static_cast<uint32_t>(t);
    // Header 0x5455, 5 data bytes: flags (bit 0: modification time present), the time.
    return {0x55, 0x54, 5, 0, 1, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

std::string ZipEntryName(std::string_view path, bool preserveDirs) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty())
        return {};
    if (!preserveDirs)
        return path.ends_with('/') ? std::string() : std::string(parts.back());
    std::string name;
    for (std::string_view part : parts) {
        if (!name.empty())
            name += '/';
        name += part;
    }
    return name;
}

std::vector<std::string> ZipFolderEntries(std::string_view entryName) {
    std::vector<std::string> folders;
    for (size_t at = entryName.find('/'); at != std::string_view::npos; at = entryName.find('/', at + 1))
        folders.emplace_back(entryName.substr(0, at + 1));
    return folders;
}
