#pragma once

// Helpers of the Zip tests: a scratch folder, files with a chosen mode and time, and an archive
// read back entry by entry through the unzip API.

#include "LocalTime.h"

#include <minizip/unzip.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class TZipScratch {
public:
    TZipScratch() {
        std::string pattern = (fs::temp_directory_path() / "qvzip-XXXXXX").string();
        Root = mkdtemp(pattern.data());
    }
    ~TZipScratch() {
        std::error_code ec;
        fs::permissions(Root, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Root, ec);
    }
    std::string operator/(const std::string& rel) const { return Root + "/" + rel; }
    std::string Root;
};

inline void MakeFile(const std::string& path, const std::string& content, mode_t mode = 0644,
                     time_t mtime = 0) {
    fs::create_directories(fs::path(path).parent_path());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    ::chmod(path.c_str(), mode);
    if (mtime != 0) {
        struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TZipEntryRead {
    std::string Name;
    unz_file_info64 Info{};
    std::string Extra; // central directory extra field
    std::string Data;
    bool CrcOk = false;
};

// Every entry of the archive, in directory order; empty when it is no archive.
inline std::vector<TZipEntryRead> ReadZip(const std::string& path) {
    std::vector<TZipEntryRead> entries;
    unzFile unz = unzOpen64(path.c_str());
    if (!unz)
        return entries;
    for (int rc = unzGoToFirstFile(unz); rc == UNZ_OK; rc = unzGoToNextFile(unz)) {
        TZipEntryRead e;
        unzGetCurrentFileInfo64(unz, &e.Info, nullptr, 0, nullptr, 0, nullptr, 0);
        std::vector<char> name(e.Info.size_filename + 1), extra(e.Info.size_file_extra + 1);
        unzGetCurrentFileInfo64(unz, &e.Info, name.data(), name.size(), extra.data(), extra.size(), nullptr,
                                0);
        e.Name.assign(name.data(), e.Info.size_filename);
        e.Extra.assign(extra.data(), e.Info.size_file_extra);
        if (unzOpenCurrentFile(unz) == UNZ_OK) {
            char buffer[8192];
            int got = 0;
            while ((got = unzReadCurrentFile(unz, buffer, sizeof buffer)) > 0)
                e.Data.append(buffer, static_cast<size_t>(got));
            e.CrcOk = unzCloseCurrentFile(unz) == UNZ_OK && got == 0;
        }
        entries.push_back(std::move(e));
    }
    unzClose(unz);
    return entries;
}

inline std::vector<std::string> EntryNames(const std::vector<TZipEntryRead>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.Name);
    return names;
}

inline const TZipEntryRead* FindEntry(const std::vector<TZipEntryRead>& entries, const std::string& name) {
    for (const auto& e : entries)
        if (e.Name == name)
            return &e;
    return nullptr;
}

inline std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Info-ZIP's own check of every entry.
inline bool UnzipTestPasses(const std::string& archive) {
    return std::system(("unzip -tqq " + Quoted(archive) + " >/dev/null 2>&1").c_str()) == 0;
}

// The entry name a path gets with its folders kept.
inline std::string Rel(const std::string& path) {
    return path.substr(path.find_first_not_of('/'));
}

// Folder entries of the path, outermost first, as a fresh archive holds them.
inline std::vector<std::string> FolderEntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::string name;
    for (const auto& part : fs::path(Rel(folder))) {
        name += part.string() + "/";
        names.push_back(name);
    }
    return names;
}
