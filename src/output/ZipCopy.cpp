// Reading archives: the names of an archive being added to, the raw copy of its entries into the
// rewritten archive, and the extraction of one entry.

#include "output/ZipArchive.h"
#include "output/ZipSupport.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "settings/Translate.h"

namespace {

constexpr size_t CopyBufferSize = 64 * 1024;
constexpr unsigned long DataDescriptorFlag = 0x0008;
constexpr short Zip64ExtraId = 0x0001;

struct TEntryInfo {
    unz_file_info64 Info{};
    std::string Name;
    std::vector<char> Extra;
    std::string Comment;
};

bool ReadEntryInfo(void* unz, TEntryInfo& entry) {
    if (unzGetCurrentFileInfo64(unz, &entry.Info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    entry.Name.assign(entry.Info.size_filename, '\0');
    entry.Extra.assign(entry.Info.size_file_extra, '\0');
    entry.Comment.assign(entry.Info.size_file_comment, '\0');
    // One spare byte each: minizip ends the texts with a zero when there is room.
    std::vector<char> name(entry.Name.size() + 1), comment(entry.Comment.size() + 1);
    if (unzGetCurrentFileInfo64(unz, &entry.Info, name.data(), name.size(), entry.Extra.data(),
                                entry.Extra.size(), comment.data(), comment.size()) != UNZ_OK)
        return false;
    entry.Name.assign(name.data(), entry.Info.size_filename);
    entry.Comment.assign(comment.data(), entry.Info.size_file_comment);
    return true;
}

// Only stored and deflated entries can be read raw and written raw again by minizip.
bool CanCarryOver(const unz_file_info64& info) {
    return (info.compression_method == 0 || info.compression_method == Z_DEFLATED) &&
           info.disk_num_start == 0;
}

// minizip adds its own Zip64 block when an entry needs one; an old one must not stay beside it.
void StripZip64Block(std::vector<char>& extra) {
    int size = static_cast<int>(extra.size());
    if (size > 0 && zipRemoveExtraInfoBlock(extra.data(), &size, Zip64ExtraId) == ZIP_OK)
        extra.resize(static_cast<size_t>(size));
}

bool CopyOneEntry(void* from, void* to, TEntryInfo& entry, std::vector<char>& buffer) {
    int method = 0;
    int level = 0;
    if (unzOpenCurrentFile2(from, &method, &level, 1) != UNZ_OK)
        return false;
    const int localSize = unzGetLocalExtrafield(from, nullptr, 0);
    std::vector<char> local(localSize > 0 ? static_cast<size_t>(localSize) : 0);
    if (!local.empty() && unzGetLocalExtrafield(from, local.data(), static_cast<unsigned>(local.size())) < 0)
        return false;
    StripZip64Block(local);
    StripZip64Block(entry.Extra);

    const unz_file_info64& info = entry.Info;
    zip_fileinfo fileInfo{};
    fileInfo.dosDate = info.dosDate;
    fileInfo.internal_fa = info.internal_fa;
    fileInfo.external_fa = info.external_fa;
    const bool zip64 = info.compressed_size >= 0xFFFFFFFFu || info.uncompressed_size >= 0xFFFFFFFFu;
    // Level 0 leaves the flags as they were; the sizes go into the local header, so no descriptor.
    if (zipOpenNewFileInZip4_64(to, entry.Name.c_str(), &fileInfo, local.data(),
                                static_cast<uInt>(local.size()), entry.Extra.data(),
                                static_cast<uInt>(entry.Extra.size()),
                                entry.Comment.empty() ? nullptr : entry.Comment.c_str(), method, 0, 1,
                                -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, info.version,
                                info.flag & ~DataDescriptorFlag, zip64 ? 1 : 0) != ZIP_OK) {
        unzCloseCurrentFile(from);
        return false;
    }
    int got = 0;
    bool ok = true;
    while (ok && (got = unzReadCurrentFile(from, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0)
        ok = zipWriteInFileInZip(to, buffer.data(), static_cast<unsigned>(got)) == ZIP_OK;
    ok = ok && got == 0;
    ok = unzCloseCurrentFile(from) == UNZ_OK && ok;
    return zipCloseFileInZipRaw64(to, info.uncompressed_size, info.crc) == ZIP_OK && ok;
}

} // namespace

bool ReadZipEntryNames(void* unz, std::vector<std::string>& names, std::string& badEntry) {
    int rc = unzGoToFirstFile(unz);
    for (; rc == UNZ_OK; rc = unzGoToNextFile(unz)) {
        TEntryInfo entry;
        if (!ReadEntryInfo(unz, entry))
            return false;
        if (!CanCarryOver(entry.Info)) {
            badEntry = entry.Name;
            return false;
        }
        names.push_back(std::move(entry.Name));
    }
    return rc == UNZ_END_OF_LIST_OF_FILE;
}

std::string ReadZipComment(void* unz) {
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(unz, &global) != UNZ_OK || global.size_comment == 0)
        return {};
    std::vector<char> text(global.size_comment + 1);
    int got = unzGetGlobalComment(unz, text.data(), static_cast<uLong>(text.size()));
    return got > 0 ? std::string(text.data(), static_cast<size_t>(got)) : std::string();
}

bool CopyZipEntries(void* from, void* to, const std::unordered_set<std::string>& skip, std::string& error) {
    std::vector<char> buffer(CopyBufferSize);
    int rc = unzGoToFirstFile(from);
    for (; rc == UNZ_OK; rc = unzGoToNextFile(from)) {
        TEntryInfo entry;
        errno = 0;
        if (!ReadEntryInfo(from, entry)) {
            error = Tr("The archive's directory cannot be read.");
            return false;
        }
        if (skip.contains(entry.Name))
            continue;
        if (!CopyOneEntry(from, to, entry, buffer)) {
            const int err = errno;
            error = FillZipText(Tr("Cannot carry over the entry \"%s\". %s"),
                                {entry.Name, err ? SystemErrorText(err) : Tr("The archive is damaged.")});
            return false;
        }
    }
    if (rc != UNZ_END_OF_LIST_OF_FILE)
        error = Tr("The archive's directory cannot be read.");
    return rc == UNZ_END_OF_LIST_OF_FILE;
}

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// Streams the current entry of unz into fd; an empty text on success, else the reason.
// The checksum is only verified once the declared size was read, so a short entry is caught by
// comparing the bytes delivered with that size.
std::string CopyEntryOut(void* unz, int fd) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(unz, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(unz) != UNZ_OK)
        return Tr("The entry cannot be read.");
    std::vector<char> buffer(CopyBufferSize);
    int got = 0;
    uint64_t total = 0;
    std::string failure;
    while ((got = unzReadCurrentFile(unz, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
        total += static_cast<uint64_t>(got);
        if (!WriteAll(fd, buffer.data(), static_cast<size_t>(got))) {
            failure = SystemErrorText(errno);
            break;
        }
    }
    const int closed = unzCloseCurrentFile(unz);
    if (failure.empty() && (got < 0 || closed != UNZ_OK || total != info.uncompressed_size))
        failure = Tr("The entry is damaged.");
    return failure;
}

// unzLocateFile compares at most 255 bytes of a name; entry names with their folders are longer.
bool LocateEntry(void* unz, const std::string& name) {
    int rc = unzGoToFirstFile(unz);
    for (; rc == UNZ_OK; rc = unzGoToNextFile(unz)) {
        TEntryInfo entry;
        if (ReadEntryInfo(unz, entry) && entry.Name == name)
            return true;
    }
    return false;
}

} // namespace

bool ExtractZipEntry(const std::string& archive, const std::string& entryName, const std::string& dest,
                     std::string& error) {
    TUnzHandle unz(unzOpen64(archive.c_str()));
    if (!unz) {
        error = FillZipText(Tr("\"%s\" is not a Zip archive, or it cannot be read."), {archive});
        return false;
    }
    if (!LocateEntry(unz.get(), entryName)) {
        error = FillZipText(Tr("There is no entry \"%s\" in the archive \"%s\"."), {entryName, archive});
        return false;
    }
    const std::string target = ResolveTarget(dest);
    TSiblingTemp temp;
    std::string reason;
    if (temp.Create(target, reason)) {
        reason = CopyEntryOut(unz.get(), temp.Fd());
        if (reason.empty() && temp.MoveOver(target, reason))
            return true;
    }
    error = FillZipText(Tr("Cannot extract \"%s\" to \"%s\". %s"), {entryName, dest, reason});
    return false;
}
