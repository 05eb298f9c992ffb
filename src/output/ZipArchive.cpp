#include "output/ZipArchive.h"
#include "output/ZipSupport.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

#include "settings/Translate.h"

namespace {

// Files are read in pieces of this size; the first piece is read before the entry is begun, so
// a file that cannot be read at all leaves nothing behind in the archive.
constexpr size_t ReadPieceSize = 1024 * 1024;

struct TFileId {
    dev_t Dev = 0;
    ino_t Ino = 0;
    bool operator==(const TFileId&) const = default;
};

enum class TOpenOutcome { Opened, Missing, Failed };

TOpenOutcome OpenSource(const std::string& path, TFileDescriptor& fd, struct stat& st) {
    // O_NONBLOCK: opening a fifo must not wait for a writer; it is refused below.
    fd = TFileDescriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENXIO ? TOpenOutcome::Missing
                                                                                       : TOpenOutcome::Failed;
    if (::fstat(fd.Get(), &st) != 0)
        return TOpenOutcome::Failed;
    if (!S_ISREG(st.st_mode))
        return TOpenOutcome::Missing;
    ::fcntl(fd.Get(), F_SETFL, 0);
    return TOpenOutcome::Opened;
}

// Fills buffer from fd up to its size or the end of the file; -1 on a read error.
ssize_t ReadPiece(int fd, std::vector<char>& buffer) {
    size_t got = 0;
    while (got < buffer.size()) {
        ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// "dir/a.gp5" becomes "dir/a (n).gp5"; a leading dot of the file name does not start an extension.
std::string NumberedName(const std::string& name, int n) {
    const size_t slash = name.rfind('/');
    const size_t base = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot <= base)
        dot = name.size();
    return name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
}

} // namespace

struct TZipArchive::TState {
    std::string Target;
    TSiblingTemp Temp;
    TZipHandle Zip;
    TUnzHandle Old; // the archive being added to, copied into the new one at Close
    std::string OldComment;
    std::unordered_set<std::string> OldNames;
    std::unordered_set<std::string> Superseded; // old names a file of this run replaces
    std::unordered_map<std::string, TFileId> RunNames;
    bool PreserveDirs = true;
    bool Broken = false;
    std::string Error;
    std::vector<char> Buffer;

    bool Begin(const std::string& path);
    bool Fail(const std::string& message);
    bool Break(const std::string& message);
    std::string WriteFailure() const;
    bool FreeName(const TFileId& id, std::string& name) const;
    bool Stored(const std::string& name, const TFileId& id);
    bool AddFolders(const std::string& source, const std::string& name, time_t fallbackTime);
    bool OpenEntry(const std::string& name, const struct stat& st, int method, int level);
    bool WriteEntry(const std::string& source, int fd, const struct stat& st, const std::string& name,
                    size_t firstPiece);
    bool Finish();
};

bool TZipArchive::TState::Fail(const std::string& message) {
    Error = message;
    return false;
}

bool TZipArchive::TState::Break(const std::string& message) {
    Broken = true;
    return Fail(message);
}

std::string TZipArchive::TState::WriteFailure() const {
    const int err = errno; // before a lookup can change it
    return FillZipText(Tr("Cannot write the archive \"%s\". %s"),
                       {Target, err ? SystemErrorText(err) : Tr("The write failed.")});
}

bool TZipArchive::TState::Begin(const std::string& path) {
    Target = ResolveTarget(path);
    std::string reason;
    // The rename at Close would replace a file that may not be written to; refuse it as a write would.
    if (::access(Target.c_str(), F_OK) == 0 && ::access(Target.c_str(), W_OK) != 0) {
        reason = SystemErrorText(errno);
        return Fail(FillZipText(Tr("Cannot create the archive \"%s\". %s"), {path, reason}));
    }
    if (!Temp.Create(Target, reason))
        return Fail(FillZipText(Tr("Cannot create the archive \"%s\". %s"), {path, reason}));
    Zip.reset(zipOpen64(Temp.Path().c_str(), APPEND_STATUS_CREATE));
    if (!Zip) {
        reason = SystemErrorText(errno);
        return Fail(FillZipText(Tr("Cannot create the archive \"%s\". %s"), {path, reason}));
    }
    Buffer.resize(ReadPieceSize);
    return true;
}

TZipArchive::TZipArchive() : S(std::make_unique<TState>()) {}

TZipArchive::~TZipArchive() {
    Abandon();
}

bool TZipArchive::Create(const std::string& path) {
    Abandon();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return S->Fail(
            FillZipText(Tr("Cannot create the archive \"%s\". %s"), {path, Tr("It is not a file.")}));
    return S->Begin(path) || (Abandon(), false);
}

bool TZipArchive::OpenForAdding(const std::string& path) {
    Abandon();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return Create(path);
    const std::string notZip = FillZipText(Tr("\"%s\" is not a Zip archive, or it cannot be read."), {path});
    TUnzHandle old(S_ISREG(st.st_mode) ? unzOpen64(path.c_str()) : nullptr);
    std::vector<std::string> names;
    std::string badEntry;
    if (!old || !ReadZipEntryNames(old.get(), names, badEntry)) {
        std::string text = badEntry.empty() ? notZip
                                            : FillZipText(Tr("The archive \"%s\" holds an entry this program "
                                                             "cannot carry over: \"%s\"."),
                                                          {path, badEntry});
        return S->Fail(text);
    }
    if (!S->Begin(path)) {
        Abandon();
        return false;
    }
    S->OldComment = ReadZipComment(old.get());
    S->OldNames.insert(names.begin(), names.end());
    S->Old = std::move(old);
    return true;
}

bool TZipArchive::IsOpen() const {
    return S->Zip != nullptr;
}

void TZipArchive::SetPreserveDirs(bool on) {
    S->PreserveDirs = on;
}

bool TZipArchive::PreserveDirs() const {
    return S->PreserveDirs;
}

bool TZipArchive::Usable() const {
    return S->Zip && !S->Broken;
}

const std::string& TZipArchive::LastError() const {
    return S->Error;
}

TZipAddResult TZipArchive::AddFile(const std::string& sourcePath) {
    TZipAddResult result;
    result.Outcome = TZipAddOutcome::Failed;
    if (!Usable()) {
        if (!S->Broken)
            S->Fail(Tr("The archive is not open."));
        return result;
    }
    TFileDescriptor fd;
    struct stat st {};
    const TOpenOutcome opened = OpenSource(sourcePath, fd, st);
    const std::string openError = opened == TOpenOutcome::Failed ? SystemErrorText(errno) : std::string();
    std::string name = ZipEntryName(sourcePath, S->PreserveDirs);
    if (opened == TOpenOutcome::Missing || (opened == TOpenOutcome::Opened && name.empty())) {
        result.Outcome = TZipAddOutcome::Missing;
        return result;
    }
    const std::string cannotRead = Tr("Cannot read the file \"%s\". %s");
    if (opened == TOpenOutcome::Failed) {
        S->Fail(FillZipText(cannotRead, {sourcePath, openError}));
        return result;
    }
    const TFileId id{st.st_dev, st.st_ino};
    const std::string formed = name;
    if (!S->FreeName(id, name)) {
        result.Outcome = TZipAddOutcome::Duplicate;
        result.EntryName = name;
        return result;
    }
    result.Renamed = name != formed;
    const ssize_t first = ReadPiece(fd.Get(), S->Buffer);
    if (first < 0) {
        S->Fail(FillZipText(cannotRead, {sourcePath, SystemErrorText(errno)}));
        return result;
    }
    if ((S->PreserveDirs && !S->AddFolders(sourcePath, name, st.st_mtime)) ||
        !S->WriteEntry(sourcePath, fd.Get(), st, name, static_cast<size_t>(first)))
        return result;
    result.ReplacedOld = S->Stored(name, id);
    result.Outcome = TZipAddOutcome::Added;
    result.EntryName = name;
    return result;
}

// Turns name into the first of name, "name (2)", "name (3)"... that no entry of this run holds;
// false when this very file already stands under one of them (name is then that entry).
bool TZipArchive::TState::FreeName(const TFileId& id, std::string& name) const {
    const std::string formed = name;
    for (int n = 2;; ++n) {
        const auto held = RunNames.find(name);
        if (held == RunNames.end())
            return true;
        if (held->second == id)
            return false;
        name = NumberedName(formed, n);
    }
}

// Notes the entry of this run; true when it replaces an entry of the archive added to.
bool TZipArchive::TState::Stored(const std::string& name, const TFileId& id) {
    RunNames.emplace(name, id);
    if (!OldNames.contains(name))
        return false;
    Superseded.insert(name);
    return true;
}

bool TZipArchive::TState::AddFolders(const std::string& source, const std::string& name,
                                     time_t fallbackTime) {
    for (const std::string& folder : ZipFolderEntries(name)) {
        if (RunNames.contains(folder) || OldNames.contains(folder))
            continue;
        // The entry name is the normalised path, so the folder on disk is found by the same text.
        const std::string onDisk = (source.starts_with('/') ? "/" : "") + folder.substr(0, folder.size() - 1);
        struct stat st {};
        if (::stat(onDisk.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            st.st_mode = S_IFDIR | 0755;
            st.st_mtime = fallbackTime;
        }
        errno = 0;
        if (!OpenEntry(folder, st, 0, 0) || zipCloseFileInZip(Zip.get()) != ZIP_OK)
            return Break(WriteFailure());
        RunNames.emplace(folder, TFileId{});
    }
    return true;
}

bool TZipArchive::TState::OpenEntry(const std::string& name, const struct stat& st, int method, int level) {
    zip_fileinfo info{};
    info.dosDate = ZipDosTime(st.st_mtime);
    info.external_fa = ZipExternalAttributes(st.st_mode);
    const std::vector<unsigned char> extra = ZipTimeExtraField(st.st_mtime);
    const uInt extraSize = static_cast<uInt>(extra.size());
    const int zip64 = static_cast<unsigned long long>(st.st_size) >= 0xFFFFFFFFull ? 1 : 0;
    const unsigned long flags = IsAscii(name) ? 0 : ZipUtf8Flag;
    return zipOpenNewFileInZip4_64(Zip.get(), name.c_str(), &info, extra.data(), extraSize, extra.data(),
                                   extraSize, nullptr, method, level, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                   Z_DEFAULT_STRATEGY, nullptr, 0, ZipMadeByUnix, flags, zip64) == ZIP_OK;
}

bool TZipArchive::TState::WriteEntry(const std::string& source, int fd, const struct stat& st,
                                     const std::string& name, size_t firstPiece) {
    errno = 0;
    if (!OpenEntry(name, st, Z_DEFLATED, Z_BEST_COMPRESSION))
        return Break(WriteFailure());
    size_t piece = firstPiece;
    while (piece > 0) {
        errno = 0;
        if (zipWriteInFileInZip(Zip.get(), Buffer.data(), static_cast<unsigned>(piece)) != ZIP_OK)
            return Break(WriteFailure());
        if (piece < Buffer.size())
            break;
        const ssize_t next = ReadPiece(fd, Buffer);
        // The entry is begun and minizip cannot take it back: this run can no longer be kept.
        if (next < 0) {
            const std::string reason = SystemErrorText(errno);
            return Break(FillZipText(Tr("Cannot read the file \"%s\". %s"), {source, reason}));
        }
        piece = static_cast<size_t>(next);
    }
    errno = 0;
    return zipCloseFileInZip(Zip.get()) == ZIP_OK || Break(WriteFailure());
}

bool TZipArchive::TState::Finish() {
    if (Old && !CopyZipEntries(Old.get(), Zip.get(), Superseded, Error))
        return Break(FillZipText(Tr("Cannot write the archive \"%s\". %s"), {Target, Error}));
    errno = 0;
    if (zipClose(Zip.release(), OldComment.empty() ? nullptr : OldComment.c_str()) != ZIP_OK)
        return Break(WriteFailure());
    std::string reason;
    if (!Temp.MoveOver(Target, reason))
        return Break(FillZipText(Tr("Cannot write the archive \"%s\". %s"), {Target, reason}));
    return true;
}

bool TZipArchive::Close() {
    if (!S->Zip && !S->Broken)
        return S->Fail(Tr("The archive is not open."));
    const bool ok = !S->Broken && S->Finish();
    if (!ok)
        S->Error += " " + Tr("The archive was left as it was before.");
    std::string error = S->Error;
    Abandon();
    S->Error = std::move(error);
    return ok;
}

void TZipArchive::Abandon() {
    const bool preserveDirs = S->PreserveDirs;
    std::string error = std::move(S->Error);
    S = std::make_unique<TState>();
    S->PreserveDirs = preserveDirs;
    S->Error = std::move(error);
}
