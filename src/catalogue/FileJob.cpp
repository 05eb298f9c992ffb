#include "catalogue/FileJob.h"

#include "catalogue/CatalogueStore.h"
#include "catalogue/TextConvert.h"
#include "readers/TabFormats.h"
#include "readers/TabRead.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

std::string SystemErrorText(int err) {
    char buffer[256];
    return strerror_r(err, buffer, sizeof buffer);
}

void Fail(TFileJob& job, std::string_view path, std::string_view message) {
    job.ErrorPath = path;
    job.Error = message;
}

void ReadRow(TFileJob& job, TFileTabStream& stream) {
    const std::string& path = job.Path;
    if (!IsValidUtf8(path))
        return Fail(job, ToValidUtf8(path), "File name is not valid UTF-8");
    if (!stream.OpenAt(::dirfd(job.Folder.get()), path.c_str() + job.NameAt)) {
        const int err = errno;
        return Fail(job, path, "Cannot open file \"" + path + "\". " + SystemErrorText(err));
    }
    TabInfo& info = *job.Row;
    try {
        job.Format->Read(stream, info);
    } catch (const ETabError& e) {
        stream.Close();
        return Fail(job, path, e.what());
    } catch (const EStreamError& e) {
        stream.Close();
        return Fail(job, path, e.what());
    }
    info.FileSize = static_cast<int32_t>(static_cast<uint32_t>(stream.Size()));
    info.FileDate = PackDosDateTime(stream.ModifiedTime());
    stream.Close();
    CopyToField(info.FileName, TabPathSize, path);
    job.Stored = true;
}

} // namespace

void ReadFileJob(TFileJob& job, TFileTabStream& stream) {
    job.Stored = false;
    job.Failure = nullptr;
    try {
        ReadRow(job, stream);
    } catch (...) {
        stream.Close();
        job.Failure = std::current_exception();
    }
}
