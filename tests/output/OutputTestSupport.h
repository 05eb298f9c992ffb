#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "output/ExportSource.h"
#include "output/OutputSink.h"

// Rows from memory, or made on demand by a generator for large lists.
class TTestRowSource : public TExportRowSource {
public:
    explicit TTestRowSource(std::vector<TExportRow> rows) : Rows(std::move(rows)), Count(Rows.size()) {}
    TTestRowSource(int64_t count, std::function<TExportRow(int64_t)> make)
        : Make(std::move(make)), Count(count) {}
    int64_t Total() override { return Count; }
    bool Next(TExportRow& row) override {
        if (Pos >= Count)
            return false;
        row = Make ? Make(Pos) : Rows[Pos];
        ++Pos;
        return true;
    }
    int64_t Delivered() const { return Pos; }

private:
    std::vector<TExportRow> Rows;
    std::function<TExportRow(int64_t)> Make;
    int64_t Count;
    int64_t Pos = 0;
};

// Accepts limit bytes, then fails every write as a full disk would.
class TFailingSink : public TByteSink {
public:
    explicit TFailingSink(size_t limit) : Limit(limit) {}
    void Write(const void*, size_t count) override {
        if (Written + count > Limit)
            throw EWriteError("No space left on device");
        Written += count;
    }

private:
    size_t Limit;
    size_t Written = 0;
};

// A fresh folder for one test's files, removed afterwards.
class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_output_XXXXXX").string();
        Path = mkdtemp(pattern.data());
    }
    ~TTempFolder() { std::filesystem::remove_all(Path); }
    std::string File(const std::string& name) const { return (std::filesystem::path(Path) / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }

private:
    std::string Path;
};

inline std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        std::string candidate = dir + "/" + name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

// The XHTML 1.0 Strict DTD as Debian's w3c-sgml-lib or w3c-dtd-xhtml installs it.
inline std::string FindXhtmlStrictDtd() {
    for (const char* p : {"/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-xhtml1-20020801/xhtml1-strict.dtd",
                          "/usr/share/xml/xhtml/schema/dtd/1.0/xhtml1-strict.dtd"})
        if (access(p, R_OK) == 0)
            return p;
    return "";
}

// Runs command; its exit status and everything it printed.
inline std::pair<int, std::string> RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {-1, "popen failed"};
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        output.append(buf, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

inline std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}
