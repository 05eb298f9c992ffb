#include "catalogue/ScanThread.h"

#include "readers/TabFormats.h"
#include "readers/TabRead.h"
#include "settings/Translate.h"

#include <cstring>
#include <cxxabi.h>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <typeinfo>
#include <unistd.h>

namespace {

std::string TypeName(const std::exception& e) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && name ? name.get() : typeid(e).name();
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A root given with trailing slashes is walked without them, so entries are joined with one "/".
std::string WalkPath(std::string root) {
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

// The folder opened for listing, shared with the files queued from it, which are opened by name
// within it; null when it cannot be opened or was walked already (a link loop).
std::shared_ptr<DIR> OpenUnvisited(const std::string& folder, std::set<std::pair<dev_t, ino_t>>& visited) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    DIR* dir = nullptr;
    if (::fstat(fd, &st) != 0 || !visited.insert({st.st_dev, st.st_ino}).second || !(dir = ::fdopendir(fd))) {
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<DIR>(dir, [](DIR* d) { ::closedir(d); });
}

} // namespace

TScanThread::TScanThread(std::vector<std::string> dirs, uint8_t tabTypes, const std::string& dbFile,
                         IScanProgress* progress, std::string codePage)
    : Dirs(std::move(dirs)), TabTypes(tabTypes), CodePage(std::move(codePage)), Progress(progress) {
    ZeroField(DBFile, sizeof DBFile);
    CopyToField(DBFile, sizeof DBFile, dbFile);
    DBFileTooLong = dbFile.size() >= sizeof DBFile || dbFile.find('\0') != std::string::npos;
}

TScanThread::~TScanThread() {
    Terminate();
    WaitFor();
}

void TScanThread::Start() {
    if (!Worker.joinable() && !Done.load())
        Worker = std::thread([this] { Run(); });
}

void TScanThread::WaitFor() {
    if (Worker.joinable())
        Worker.join();
}

void TScanThread::Run() {
    try {
        Execute();
    } catch (const std::exception& e) {
        if (FailureText.empty())
            SetFailure(DBFile, TypeName(e) + ": " + e.what());
    }
    Store = nullptr;
    Done.store(true);
    if (Progress)
        Progress->ScanEnded();
}

bool TScanThread::OpenOrCreate(const std::string& dbPath, bool& clearFailed) {
    struct stat st {};
    if (::stat(dbPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        if (Store->OpenCatalogue(dbPath)) {
            clearFailed = !Store->ClearCatalogue();
            return true;
        }
        AddError(dbPath, Tr("Database file corrupted; recreating."));
    }
    if (Store->CreateCatalogue(dbPath))
        return true;
    SetFailure(dbPath, Tr("Cannot create database"));
    return false;
}

void TScanThread::Execute() {
    AddedCount = 0;
    ErrorTotal = 0;
    const std::string dbPath = DBFile;
    if (DBFileTooLong) {
        SetFailure(dbPath, Tr("Cannot create database"));
        return;
    }
    TCatalogueStore store(CodePage);
    Store = &store;
    bool clearFailed = false;
    if (!OpenOrCreate(dbPath, clearFailed))
        return;
    store.WriteDirectories(Dirs);
    StartTick = std::chrono::steady_clock::now();
    // Emptying the table, the folder list and the rows share one transaction; when it cannot be
    // set up nothing is written, rather than appending to or reporting over the old rows.
    if (clearFailed || !store.BeginTablatures()) {
        SetFailure(dbPath, Tr("Cannot write database"));
        return;
    }
    try {
        WalkAndStore(store);
    } catch (const std::exception& e) {
        AddError(dbPath, TypeName(e) + ": " + e.what());
    }
    // Also after a failure of the walk: the rows read so far are committed with both indexes
    // before the errors are written. A commit that fails leaves the previous catalogue whole.
    if (!store.EndTablatures()) {
        SetFailure(dbPath, Tr("Cannot write database"));
        return;
    }
    EndTick = std::chrono::steady_clock::now();
    ElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(EndTick - StartTick).count();
    store.WriteErrors(ErrorList);
    store.WriteInfo(ElapsedMs, ErrorCount());
    store.CloseCatalogue();
    StageText = Tr("Done.");
    DirText.clear();
    ShowProgress();
}

// The rows go to the store on the writer's thread, and files are read on a helper thread as well;
// both are joined on every way out of here, the reader first, as it fills the writer's slots.
void TScanThread::WalkAndStore(TCatalogueStore& store) {
    // A row the store refuses is still counted, as the file was read.
    TTablatureWriter writer([&store](const TabInfo& row) { store.AddTablature(row); });
    TReadAhead reads(writer, [this](const TFileJob& job) { RetireFile(job); });
    Reads = &reads;
    struct TForget {
        TReadAhead*& Reads;
        ~TForget() { Reads = nullptr; }
    } forget{Reads};
    WalkRoots();
    reads.Drain();
    StageText = Tr("Finishing...");
    DirText.clear();
    ShowProgress();
    writer.Finish();
}

// Termination is not tested here: a cancelled scan still announces the remaining roots, and
// ScanFolder returns at once for each. The files of the roots before are read and counted first.
void TScanThread::WalkRoots() {
    for (const std::string& root : Dirs) {
        if (!IsFolder(root))
            continue;
        Reads->Drain();
        StageText = Tr("Processing directory:");
        DirText = root;
        ShowProgress();
        PathBuffer = WalkPath(root);
        ScanFolder(PathBuffer);
    }
}

// folder is the shared path buffer; it is extended for each entry and restored before returning.
void TScanThread::ScanFolder(std::string& folder) {
    if (Terminated())
        return;
    const std::shared_ptr<DIR> dir = OpenUnvisited(folder, Visited);
    if (!dir)
        return;
    const size_t folderLength = folder.size();
    if (folder.back() != '/')
        folder += '/';
    const size_t nameAt = folder.size();
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        folder.resize(nameAt);
        folder += name;
        VisitEntry(dir, name, entry->d_type, folder);
        if (Terminated())
            break;
    }
    folder.resize(folderLength);
}

// Links are followed; fifos, sockets and devices are passed over without being opened.
void TScanThread::VisitEntry(const std::shared_ptr<DIR>& dir, const char* name, unsigned char type,
                             std::string& path) {
    if (type == DT_LNK || type == DT_UNKNOWN) {
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), name, &st, 0) != 0)
            type = DT_UNKNOWN; // a dangling link: opening it reports why
        else
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_FIFO;
    }
    if (type == DT_DIR)
        ScanFolder(path);
    else if (type == DT_REG || type == DT_UNKNOWN)
        ProcessFile(dir, name, path);
}

// The file is queued to be opened by its name in the open folder; path is what the catalogue records.
void TScanThread::ProcessFile(const std::shared_ptr<DIR>& dir, const char* name, const std::string& path) {
    const TTabFormat* format = FindTabFormat(TabExtension(path), TabTypes);
    if (format)
        Reads->Add(dir, path, path.size() - std::strlen(name), *format);
}

// Called for each file in the order of the walk.
void TScanThread::RetireFile(const TFileJob& job) {
    if (job.Stored)
        AddedCount.fetch_add(1, std::memory_order_relaxed);
    else
        AddError(job.ErrorPath, job.Error);
}

void TScanThread::AddError(std::string path, std::string message) {
    ErrorList.push_back({std::move(path), std::move(message)});
    ErrorTotal.fetch_add(1, std::memory_order_relaxed);
}

void TScanThread::SetFailure(const std::string& path, const std::string& message) {
    FailureText = path + ": " + message;
}

void TScanThread::ShowProgress() {
    if (Progress)
        Progress->ShowProgress(StageText, DirText);
}
