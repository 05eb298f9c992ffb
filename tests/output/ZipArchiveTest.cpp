#include "output/ZipArchive.h"

#include <csignal>
#include <cstring>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ZipTestSupport.h"

namespace {

std::string Tune(int bars) {
    std::string text;
    for (int i = 0; i < bars; ++i)
        text += "bar " + std::to_string(i % 97) + ": e|--" + std::to_string(i % 13) + "--|\n";
    return text;
}

std::set<std::string> FolderListing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.insert(item.path().filename().string());
    return names;
}

} // namespace

TEST(ZipEntryName, FollowsThePathRules) {
    struct Row {
        const char* Path;
        bool PreserveDirs;
        const char* Want;
    } rows[] = {
        {"/home/u/Tabs/Rock/a.gp5", true, "home/u/Tabs/Rock/a.gp5"},
        {"/home/u/Tabs/Rock/a.gp5", false, "a.gp5"},
        {"//srv//share/./x/a.gp5", true, "srv/share/x/a.gp5"},
        {"/a/../../b/c.tg", true, "b/c.tg"},
        {"../up/x.tg", true, "up/x.tg"},
        {"rel/x.tg", true, "rel/x.tg"},
        {"/", true, ""},
        {"/tabs/", false, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ZipEntryName(row.Path, row.PreserveDirs), row.Want) << row.Path << " " << row.PreserveDirs;
    EXPECT_EQ(ZipFolderEntries("Tabs/Rock/a.gp5"), (std::vector<std::string>{"Tabs/", "Tabs/Rock/"}));
    EXPECT_TRUE(ZipFolderEntries("a.gp5").empty());
}

TEST(ZipArchive, NewArchiveHoldsFoldersOnceAndEachFilesTimeAndPermissions) {
    TZipScratch dir;
    const time_t when = LocalTime(2019, 5, 17, 13, 45, 58);
    const std::string a = dir / "Tabs/Rock/a.gp5", b = dir / "Tabs/Rock/b.gp4";
    const std::string c = dir / "Tabs/Pop/Ünïcode ç.tg";
    MakeFile(a, Tune(800), 0640, when);
    MakeFile(b, "bee", 0444, when + 3600);
    MakeFile(c, "sea", 0600, when);
    const std::string out = dir / "out.zip";
    TZipArchive zip;
    ASSERT_TRUE(zip.Create(out)) << zip.LastError();
    for (const std::string& path : {a, b, c})
        EXPECT_EQ(zip.AddFile(path).Outcome, TZipAddOutcome::Added) << path;
    ASSERT_TRUE(zip.Close()) << zip.LastError();

    const auto entries = ReadZip(out);
    std::vector<std::string> want = FolderEntriesOf(dir / "Tabs/Rock");
    want.insert(want.end(), {Rel(a), Rel(b), Rel(dir / "Tabs/Pop") + "/", Rel(c)});
    ASSERT_EQ(EntryNames(entries), want);

    const TZipEntryRead& ea = *FindEntry(entries, Rel(a));
    EXPECT_EQ(ea.Info.compression_method, unsigned(Z_DEFLATED));
    EXPECT_TRUE(ea.Info.flag & 2) << "maximum compression";
    EXPECT_LT(ea.Info.compressed_size, ea.Info.uncompressed_size / 4);
    EXPECT_EQ(ea.Info.version >> 8, 3u) << "made on Unix";
    EXPECT_EQ(ea.Info.external_fa >> 16, unsigned(S_IFREG | 0640));
    EXPECT_EQ(ea.Info.tmu_date.tm_year, 2019u);
    EXPECT_EQ(ea.Info.tmu_date.tm_mon, 4u);
    EXPECT_EQ(ea.Info.tmu_date.tm_mday, 17u);
    EXPECT_EQ(ea.Info.tmu_date.tm_hour, 13u);
    EXPECT_EQ(ea.Info.tmu_date.tm_min, 45u);
    EXPECT_EQ(ea.Info.tmu_date.tm_sec, 58u);
    EXPECT_TRUE(ea.CrcOk);
    EXPECT_EQ(ea.Data, Tune(800));
    const TZipEntryRead& eb = *FindEntry(entries, Rel(b));
    EXPECT_EQ(eb.Info.external_fa, (unsigned(S_IFREG | 0444) << 16) | 0x01) << "read-only";
    EXPECT_EQ(FindEntry(entries, want[0])->Info.external_fa >> 16 & S_IFMT, unsigned(S_IFDIR));
    EXPECT_TRUE(FindEntry(entries, Rel(c))->Info.flag & 0x800) << "UTF-8 name";

    // Info-ZIP reads the archive back as it was meant: checks pass, modes and times come back.
    ASSERT_TRUE(UnzipTestPasses(out));
    const std::string unpacked = dir / "unpacked";
    ASSERT_EQ(std::system(("unzip -qo " + Quoted(out) + " -d " + Quoted(unpacked)).c_str()), 0);
    struct stat st {};
    ASSERT_EQ(::stat((unpacked + "/" + Rel(a)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtime, when);
    ASSERT_EQ(::stat((unpacked + "/" + Rel(b)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, when + 3600);
    EXPECT_EQ(ReadFile(unpacked + "/" + Rel(c)), "sea");
}

TEST(ZipArchive, AddingKeepsEveryEntryOfAnArchiveMadeByInfoZip) {
    // Written to a file, and streamed through a pipe (entries with data descriptors).
    for (const char* how : {"zip -q -r -z old.zip old", "zip -q -z -r - old | cat > old.zip"}) {
        SCOPED_TRACE(how);
        TZipScratch dir;
        MakeFile(dir / "old/x.gp5", Tune(300), 0600, LocalTime(2011, 2, 3, 4, 5, 6));
        MakeFile(dir / "old/sub/y.gp3", "yy", 0755);
        MakeFile(dir / "old/empty.tef", "");
        const std::string made = "cd " + Quoted(dir.Root) + " && echo 'from zip' | " + how;
        ASSERT_EQ(std::system(made.c_str()), 0);
        const std::string archive = dir / "old.zip";
        const auto before = ReadZip(archive);
        ASSERT_EQ(before.size(), 5u);

        const std::string added = dir / "new/n.gp4";
        MakeFile(added, "nn");
        TZipArchive zip;
        ASSERT_TRUE(zip.OpenForAdding(archive)) << zip.LastError();
        EXPECT_EQ(zip.AddFile(added).Outcome, TZipAddOutcome::Added);
        ASSERT_TRUE(zip.Close()) << zip.LastError();

        const auto after = ReadZip(archive);
        EXPECT_EQ(after.size(), before.size() + FolderEntriesOf(dir / "new").size() + 1);
        for (const TZipEntryRead& old : before) {
            const TZipEntryRead* kept = FindEntry(after, old.Name);
            ASSERT_NE(kept, nullptr) << old.Name;
            EXPECT_TRUE(kept->CrcOk) << old.Name;
            EXPECT_EQ(kept->Data, old.Data) << old.Name;
            EXPECT_EQ(kept->Info.external_fa, old.Info.external_fa) << old.Name;
            EXPECT_EQ(kept->Info.dosDate, old.Info.dosDate) << old.Name;
            EXPECT_EQ(kept->Info.version, old.Info.version) << old.Name;
            EXPECT_EQ(kept->Extra, old.Extra) << old.Name;
        }
        EXPECT_EQ(FindEntry(after, Rel(added))->Data, "nn");
        EXPECT_TRUE(UnzipTestPasses(archive));
        FILE* comment = ::popen(("unzip -z " + Quoted(archive)).c_str(), "r");
        char text[256] = {};
        std::string shown;
        while (std::fgets(text, sizeof text, comment))
            shown += text;
        ::pclose(comment);
        EXPECT_NE(shown.find("from zip"), std::string::npos) << shown;
    }
}

TEST(ZipArchive, NoNameIsStoredTwice) {
    TZipScratch dir;
    const std::string a = dir / "x/a.gp5", other = dir / "y/a.gp5", out = dir / "out.zip";
    MakeFile(a, "one");
    MakeFile(other, "other");
    {
        TZipArchive zip;
        ASSERT_TRUE(zip.Create(out));
        EXPECT_EQ(zip.AddFile(a).Outcome, TZipAddOutcome::Added);
        EXPECT_EQ(zip.AddFile(a).Outcome, TZipAddOutcome::Duplicate) << "the same file twice in one run";
        ASSERT_TRUE(zip.Close());
    }
    // A name the archive held before: the new file replaces the old entry.
    MakeFile(a, "two");
    {
        TZipArchive zip;
        ASSERT_TRUE(zip.OpenForAdding(out));
        const TZipAddResult r = zip.AddFile(a);
        EXPECT_EQ(r.Outcome, TZipAddOutcome::Added);
        EXPECT_TRUE(r.ReplacedOld);
        ASSERT_TRUE(zip.Close());
    }
    auto entries = ReadZip(out);
    EXPECT_EQ(entries.size(), FolderEntriesOf(dir / "x").size() + 1);
    EXPECT_EQ(FindEntry(entries, Rel(a))->Data, "two");

    // Without folders, two files of one name: the second gets a numbered name.
    TZipArchive zip;
    zip.SetPreserveDirs(false);
    ASSERT_TRUE(zip.Create(out));
    EXPECT_EQ(zip.AddFile(a).EntryName, "a.gp5");
    const TZipAddResult second = zip.AddFile(other);
    EXPECT_EQ(second.EntryName, "a (2).gp5");
    EXPECT_TRUE(second.Renamed);
    EXPECT_EQ(zip.AddFile(other).Outcome, TZipAddOutcome::Duplicate);
    ASSERT_TRUE(zip.Close());
    entries = ReadZip(out);
    EXPECT_EQ(EntryNames(entries), (std::vector<std::string>{"a.gp5", "a (2).gp5"}));
    EXPECT_EQ(entries[1].Data, "other");
}

TEST(ZipArchive, SkipsPathsWithoutARegularFile) {
    TZipScratch dir;
    const std::string real = dir / "real.gp5", fifo = dir / "pipe.gp5", link = dir / "dangling.gp5";
    MakeFile(real, "r");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(::symlink((dir / "gone").c_str(), link.c_str()), 0);
    fs::create_directories(dir / "folder.gp5");
    TZipArchive zip;
    zip.SetPreserveDirs(false);
    ASSERT_TRUE(zip.Create(dir / "out.zip"));
    for (const std::string& path : {dir / "missing.gp5", fifo, link, dir / "folder.gp5", std::string()})
        EXPECT_EQ(zip.AddFile(path).Outcome, TZipAddOutcome::Missing) << path;
    EXPECT_EQ(zip.AddFile(real).Outcome, TZipAddOutcome::Added);
    ASSERT_TRUE(zip.Close());
    EXPECT_EQ(EntryNames(ReadZip(dir / "out.zip")), std::vector<std::string>{"real.gp5"});
}

TEST(ZipArchive, ExtractsOneNamedEntry) {
    TZipScratch dir;
    // Longer than the 255 bytes minizip's own lookup compares.
    const std::string deep = dir / (std::string(120, 'd') + "/" + std::string(120, 'e') + "/deep.gp5");
    MakeFile(dir / "first.gp5", "first");
    MakeFile(deep, Tune(50));
    const std::string archive = dir / "db.zip", dest = dir / "out/copy.gp5";
    TZipArchive zip;
    ASSERT_TRUE(zip.Create(archive));
    zip.AddFile(dir / "first.gp5");
    zip.AddFile(deep);
    ASSERT_TRUE(zip.Close());
    ASSERT_GT(Rel(deep).size(), 255u);

    MakeFile(dest, "stale");
    std::string error;
    ASSERT_TRUE(ExtractZipEntry(archive, Rel(deep), dest, error)) << error;
    EXPECT_EQ(ReadFile(dest), Tune(50));
    EXPECT_FALSE(ExtractZipEntry(archive, "no/such.gp5", dest, error));
    EXPECT_NE(error.find("no/such.gp5"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dest), Tune(50));
    EXPECT_EQ(FolderListing(dir / "out"), std::set<std::string>{"copy.gp5"}) << "no temporary left";
}

TEST(ZipArchive, AnEntryShorterThanItsDeclaredSizeIsNotExtracted) {
    TZipScratch dir;
    MakeFile(dir / "a.gp5", Tune(20));
    const std::string archive = dir / "short.zip", dest = dir / "out.gp5";
    TZipArchive zip;
    ASSERT_TRUE(zip.Create(archive));
    zip.AddFile(dir / "a.gp5");
    ASSERT_TRUE(zip.Close());
    // Declare one byte more than the entry holds, in its local and central header alike.
    std::string bytes = ReadFile(archive);
    const auto bump = [&](const char* signature, size_t sizeOffset) {
        const size_t at = bytes.rfind(signature) + sizeOffset; // the file comes after its folders
        ASSERT_LT(at, bytes.size());
        uint32_t size;
        std::memcpy(&size, &bytes[at], 4);
        ++size;
        std::memcpy(&bytes[at], &size, 4);
    };
    bump("PK\x03\x04", 22);
    bump("PK\x01\x02", 24);
    MakeFile(archive, bytes);

    std::string error;
    EXPECT_FALSE(ExtractZipEntry(archive, Rel(dir / "a.gp5"), dest, error));
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dest));
}

TEST(ZipArchive, AnUnfinishedRunLeavesTheEarlierArchive) {
    TZipScratch dir;
    MakeFile(dir / "a.gp5", "a");
    MakeFile(dir / "b.gp5", Tune(100));
    const std::string archive = dir / "keep.zip";
    {
        TZipArchive zip;
        ASSERT_TRUE(zip.Create(archive));
        zip.AddFile(dir / "a.gp5");
        ASSERT_TRUE(zip.Close());
    }
    const std::string original = ReadFile(archive);

    // Killed while adding: nothing has touched the archive.
    const pid_t child = ::fork();
    if (child == 0) {
        TZipArchive zip;
        if (zip.OpenForAdding(archive) && zip.AddFile(dir / "b.gp5").Outcome == TZipAddOutcome::Added)
            ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFile(archive), original);

    // Dropped without Close: the same, and the temporary file is gone.
    const auto listing = FolderListing(dir.Root);
    {
        TZipArchive zip;
        ASSERT_TRUE(zip.OpenForAdding(archive));
        zip.AddFile(dir / "b.gp5");
    }
    EXPECT_EQ(ReadFile(archive), original);
    EXPECT_EQ(FolderListing(dir.Root), listing);
}

TEST(ZipArchive, AFailedWriteLeavesTheEarlierArchiveAndSaysSo) {
    TZipScratch dir;
    std::string noise;
    for (unsigned v = 1; noise.size() < 600000; v = v * 1103515245u + 12345u)
        noise += static_cast<char>(v >> 16);
    MakeFile(dir / "small.gp5", "small");
    MakeFile(dir / "noise.gpx", noise);
    const std::string archive = dir / "keep.zip", fresh = dir / "fresh.zip";
    {
        TZipArchive zip;
        ASSERT_TRUE(zip.Create(archive));
        zip.AddFile(dir / "small.gp5");
        ASSERT_TRUE(zip.Close());
    }
    const std::string original = ReadFile(archive);
    const auto listing = FolderListing(dir.Root);

    // A file size limit makes writes fail past 64 KiB, as a full disk would.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    TZipArchive adding, creating;
    bool added = adding.OpenForAdding(archive);
    adding.AddFile(dir / "noise.gpx");
    bool closed = added && adding.Close();
    bool created = creating.Create(fresh);
    creating.AddFile(dir / "noise.gpx");
    bool createdClosed = created && creating.Close();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(added && created);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(createdClosed);
    EXPECT_NE(adding.LastError().find(archive), std::string::npos) << adding.LastError();
    EXPECT_EQ(ReadFile(archive), original);
    EXPECT_TRUE(UnzipTestPasses(archive));
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(FolderListing(dir.Root), listing) << "no temporary left";
}

TEST(ZipArchive, RefusesAFileThatIsNoArchive) {
    TZipScratch dir;
    MakeFile(dir / "notes.zip", "not a zip at all");
    TZipArchive zip;
    EXPECT_FALSE(zip.OpenForAdding(dir / "notes.zip"));
    EXPECT_NE(zip.LastError().find("notes.zip"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "notes.zip"), "not a zip at all");
    EXPECT_EQ(FolderListing(dir.Root), std::set<std::string>{"notes.zip"});
}
