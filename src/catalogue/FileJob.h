#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <cstddef>
#include <dirent.h>
#include <exception>
#include <memory>
#include <string>

struct TTabFormat;

// One tablature file of a scan: where it is, and once read, its row or why there is none.
struct TFileJob {
    // Keeps the folder open until the job is retired; the file is opened by name within it.
    std::shared_ptr<DIR> Folder;
    std::string Path;
    size_t NameAt = 0;
    const TTabFormat* Format = nullptr;
    // The writer's slot reserved for the row.
    TabInfo* Row = nullptr;
    bool Stored = false;
    // When not stored: the file name and message for the error list.
    std::string ErrorPath, Error;
    // Anything but a format or stream error, raised again when the job is retired.
    std::exception_ptr Failure;
};

// Reads the job's file header into *job.Row; stream is the calling thread's own.
void ReadFileJob(TFileJob& job, TFileTabStream& stream);
