#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Zip archives of tablature files: entries deflated at level 9 with the file's modification time
// and permissions, folder entries for the folders of an entry name.
//
// The target is never written in place. The entries go into a temporary file in the target's
// folder, which Close puts over the target in one rename; until then the target keeps what it
// held, so a run that is killed, or that fails while writing, leaves the earlier archive (or no
// file) instead of a broken one. A stop or a failure to read a file keeps the entries added so far:
// the caller still closes the archive.
//
// Names the archive already holds: a file added under a name that the archive held before this
// run replaces that entry (the older entry is left out when the archive is rewritten at Close).
// Within one run, the same file added twice is stored once; a different file whose name was
// already taken in this run (two "a.gp5" from different folders without PreserveDirs) is stored as
// "a (2).gp5", and the result says so. No name is ever stored twice.
//
// Thread safety: one thread at a time per object; different objects are independent.

enum class TZipAddOutcome {
    Added,
    Missing,   // no regular file at the path; nothing stored
    Duplicate, // this run stored the same file already
    Failed,    // see TZipArchive::LastError
};

struct TZipAddResult {
    TZipAddOutcome Outcome = TZipAddOutcome::Missing;
    std::string EntryName;    // the name the file is stored under
    bool ReplacedOld = false; // an entry of that name held before this run is dropped
    bool Renamed = false;     // the entry name formed from the path was taken in this run
};

class TZipArchive {
public:
    TZipArchive();
    // Without Close the run is abandoned and the target stays as it was.
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    // A new, empty archive that replaces whatever is at path when closed.
    bool Create(const std::string& path);
    // Adds to the archive at path, keeping every entry it holds; a missing file is created.
    // Fails, leaving the file alone, when it is not a Zip archive this program can carry over.
    bool OpenForAdding(const std::string& path);
    bool IsOpen() const;

    // On: entry names keep the folders of the path; off: the file name alone. On by default.
    void SetPreserveDirs(bool on);
    bool PreserveDirs() const;

    // A Failed outcome for a file that could not be read keeps the archive usable; a failure to
    // write (or to read a file part-way) makes it unusable: Close then leaves the target as it was.
    TZipAddResult AddFile(const std::string& sourcePath);
    bool Usable() const;

    // Writes the archive and puts it in place; false (target untouched) when that failed or the
    // archive was unusable. The object is closed afterwards either way.
    bool Close();
    // Drops the run without touching the target.
    void Abandon();

    // The translated message of the last failure.
    const std::string& LastError() const;

private:
    struct TState;
    std::unique_ptr<TState> S;
};

// Entry name of path: with preserveDirs the path made relative (leading "/" removed, "." and ".."
// resolved as text, never leaving the top), else its last component. Empty when nothing remains.
std::string ZipEntryName(std::string_view path, bool preserveDirs);
// The folder entries ("a/", "a/b/") an entry name needs, outermost first.
std::vector<std::string> ZipFolderEntries(std::string_view entryName);

// Extracts the entry named entryName of archive into dest, replacing a file there only when the
// whole entry was read and its checksum matched. False with a translated message otherwise.
bool ExtractZipEntry(const std::string& archive, const std::string& entryName, const std::string& dest,
                     std::string& error);
