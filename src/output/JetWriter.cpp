#include "output/JetWriter.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// Page maps are rows of 69 bytes: a type byte, then either (type 0, inline) a first page and 64
// bytes of bits for 512 pages from it, or (type 1, reference) 17 page numbers of usage map pages
// (type 0x05, bits from byte 4), slot k covering the pages from k * 32736.
constexpr size_t MapRowSize = 69, InlineWindow = 512, ReferenceSlots = 17;
constexpr uint32_t UsagePageBits = (JetPageSize - 4) * 8;
// The global page map is row 0 of page 1; its set bits are free pages.
constexpr uint32_t GlobalMapPointer = 1 << 8;
// An Access database holds at most 2 GB, which the usage map slots cover.
constexpr uint32_t MaxPages = 0x80000000u / JetPageSize;
static_assert(MaxPages <= ReferenceSlots * UsagePageBits);
// The template must fit the global map's first window; that also bounds what Open reads.
constexpr size_t MaxTemplatePages = InlineWindow;
constexpr size_t DataHeaderSize = 14, MaxRowsPerPage = 255, BatchPages = 16;
constexpr uint8_t UserTable = 0x4E;

[[noreturn]] void RaiseSystemError(int code) {
    throw EJetError(std::system_category().message(code));
}

void Require(bool condition, const char* what) {
    if (!condition)
        throw EJetError(what);
}

// The open database file: checked whole reads and writes at an offset.
class TJetFile {
public:
    TJetFile() = default;
    ~TJetFile() {
        if (Fd >= 0)
            ::close(Fd);
    }
    TJetFile(const TJetFile&) = delete;
    TJetFile& operator=(const TJetFile&) = delete;

    void Open(const std::string& path) {
        if (Fd >= 0)
            ::close(Fd);
        Fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (Fd < 0)
            RaiseSystemError(errno);
    }
    std::vector<uint8_t> ReadAll(size_t limit) {
        struct stat st;
        if (::fstat(Fd, &st) != 0)
            RaiseSystemError(errno);
        Require(S_ISREG(st.st_mode), "The database is not a regular file.");
        Require(static_cast<size_t>(st.st_size) <= limit, "The database is larger than an empty template.");
        std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::pread(Fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                RaiseSystemError(n < 0 ? errno : EIO);
            done += static_cast<size_t>(n);
        }
        return bytes;
    }
    void WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::pwrite(Fd, data, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                RaiseSystemError(n < 0 ? errno : EIO);
            data += n, offset += static_cast<uint64_t>(n), size -= static_cast<size_t>(n);
        }
    }
    void Close() {
        const int fd = Fd;
        Fd = -1;
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
            RaiseSystemError(errno);
    }

private:
    int Fd = -1;
};

// A page map row of the template, where it lies in the file and its bytes.
struct TMapRow {
    uint64_t Offset = 0;
    std::array<uint8_t, MapRowSize> Bytes{};

    uint32_t Start() const { return JetGet32(Bytes.data() + 1); }
    void SetStart(uint32_t page) { JetPut32(Bytes.data() + 1, page); }
    void SetBit(uint32_t page, bool on) {
        const uint32_t bit = page - Start();
        uint8_t& b = Bytes[5 + bit / 8];
        b = static_cast<uint8_t>(on ? b | 1 << (bit % 8) : b & ~(1 << (bit % 8)));
    }
};

TMapRow LocateMapRow(TJetBytes file, uint32_t pointer) {
    const uint32_t page = pointer >> 8, row = pointer & 0xFF;
    Require(page > 0 && page < file.size() / JetPageSize, "a page map lies outside the file");
    const TJetBytes bytes = file.subspan(page * JetPageSize, JetPageSize);
    Require(bytes[0] == JetPageData, "a page map is not on a data page");
    const std::vector<TJetRowSlot> rows = JetPageRows(bytes);
    Require(row < rows.size() && rows[row].Live && rows[row].Length == MapRowSize,
            "a page map row is missing or not 69 bytes long");
    TMapRow map;
    map.Offset = uint64_t{page} * JetPageSize + rows[row].Start;
    std::memcpy(map.Bytes.data(), bytes.data() + rows[row].Start, MapRowSize);
    return map;
}

// The packer for the table's columns in the order expected, after checking that the definition
// holds no rows, no index and exactly those columns.
TJetRowPacker CheckTable(const TJetTableDef& def, const std::vector<TJetExpectedColumn>& expected) {
    Require(def.TableType == UserTable && def.NextPage == 0, "the table is not a plain user table");
    Require(def.RowCount == 0, "the table already holds rows");
    Require(def.Indexes == 0 && def.RealIndexes == 0, "the table has an index");
    Require(def.Columns.size() == expected.size() && def.MaxColumns == expected.size(),
            "the table does not have the expected columns");
    std::vector<TJetColumn> columns;
    size_t variable = 0;
    for (const TJetExpectedColumn& s : expected) {
        const TJetColumn* c = def.Find(s.Name);
        if (!c || c->Type != s.Type)
            throw EJetError("the table has no column \"" + s.Name + "\" of the expected type");
        columns.push_back(*c);
        variable += !c->Fixed;
    }
    Require(def.VarColumns == variable, "the table's count of variable columns is wrong");
    return TJetRowPacker(std::move(columns));
}

} // namespace

struct TJetWriter::TState {
    std::string Table;
    std::vector<TJetExpectedColumn> Expected;
    TJetFile File;
    std::optional<TJetRowPacker> Packer;
    bool Opened = false, Broken = false;
    uint32_t TdefPage = 0, TemplatePages = 0, NextPage = 0;
    TMapRow Owned, Free, Global;

    // New pages not yet written, consecutive from BatchFirst; the data page being filled is the
    // last of them, its rows running down from RowTop.
    std::vector<uint8_t> Batch = std::vector<uint8_t>(BatchPages * JetPageSize);
    size_t BatchCount = 0;
    uint32_t BatchFirst = 0;
    uint8_t* Page = nullptr;
    uint32_t PageNumber = 0;
    size_t PageRows = 0, RowTop = 0;
    bool PageOpen = false;
    // The table's usage map pages by slot: page number (0 = none) and image.
    std::array<uint32_t, ReferenceSlots> UsagePage{};
    std::array<std::vector<uint8_t>, ReferenceSlots> UsageImage;

    std::array<uint8_t, JetMaxRowSize> Row{};
    int64_t Rows = 0, Cut = 0;

    void Load(TJetBytes file);
    size_t FreeSpace() const { return RowTop - (DataHeaderSize + 2 * PageRows); }
    void Place(size_t size);
    void StartPage();
    void ClosePage();
    uint8_t* NewPage(uint32_t number);
    void FlushBatch();
    uint32_t AllocatePage();
    void WriteMaps(bool lastPageHasRoom);
    void WriteRow(const TMapRow& map) { File.WriteAt(map.Offset, map.Bytes.data(), MapRowSize); }
};

void TJetWriter::TState::Load(TJetBytes file) {
    Require(file.size() % JetPageSize == 0 && file.size() > 2 * JetPageSize, "it is not an Access database");
    CheckJetHeader(file.first(JetPageSize));
    TdefPage = FindJetTable(file, Table);
    TemplatePages = NextPage = static_cast<uint32_t>(file.size() / JetPageSize);
    Require(TdefPage > 2 && TdefPage < TemplatePages, "the table's definition lies outside the file");
    const TJetTableDef def = ParseJetTableDef(file.subspan(TdefPage * JetPageSize, JetPageSize));
    Packer.emplace(CheckTable(def, Expected));
    Owned = LocateMapRow(file, def.OwnedMap);
    Require(Owned.Bytes[0] == 1, "the table's page map is not a reference map");
    for (size_t i = 1; i < MapRowSize; ++i)
        Require(Owned.Bytes[i] == 0, "the table already owns pages");
    Free = LocateMapRow(file, def.FreeMap);
    Require(Free.Bytes[0] == 0, "the table's free-space map is not an inline map");
    Global = LocateMapRow(file, GlobalMapPointer);
    Require(Global.Bytes[0] == 0 && Global.Start() == 0, "the global page map is not the expected one");
}

uint32_t TJetWriter::TState::AllocatePage() {
    Require(NextPage < MaxPages, "An Access database holds at most 2 GB; the catalogue does not fit.");
    return NextPage++;
}

uint8_t* TJetWriter::TState::NewPage(uint32_t number) {
    if (BatchCount == BatchPages)
        FlushBatch();
    if (BatchCount == 0)
        BatchFirst = number;
    uint8_t* page = Batch.data() + BatchCount++ * JetPageSize;
    std::memset(page, 0, JetPageSize);
    return page;
}

void TJetWriter::TState::FlushBatch() {
    File.WriteAt(uint64_t{BatchFirst} * JetPageSize, Batch.data(), BatchCount * JetPageSize);
    BatchCount = 0;
}

void TJetWriter::TState::StartPage() {
    uint32_t number = AllocatePage();
    // A usage map page is added when the first data page of its slot is.
    while (UsagePage[number / UsagePageBits] == 0) {
        const size_t slot = number / UsagePageBits;
        UsagePage[slot] = number;
        UsageImage[slot].assign(JetPageSize, 0);
        UsageImage[slot][0] = JetPageUsageMap;
        UsageImage[slot][1] = 0x01;
        std::memcpy(NewPage(number), UsageImage[slot].data(), 4); // its bits are written at the end
        number = AllocatePage();
    }
    const uint32_t bit = number % UsagePageBits;
    UsageImage[number / UsagePageBits][4 + bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
    // Data page header: type, 0x01, free space, the table's definition page, 4 zero bytes, rows.
    Page = NewPage(number);
    Page[0] = JetPageData;
    Page[1] = 0x01;
    JetPut32(Page + 4, TdefPage);
    PageNumber = number;
    PageRows = 0;
    RowTop = JetPageSize;
    PageOpen = true;
}

void TJetWriter::TState::ClosePage() {
    JetPut16(Page + 2, static_cast<uint16_t>(FreeSpace()));
    JetPut16(Page + 12, static_cast<uint16_t>(PageRows));
    PageOpen = false;
}

void TJetWriter::TState::Place(size_t size) {
    if (!PageOpen || PageRows == MaxRowsPerPage || FreeSpace() < size + 2) {
        if (PageOpen)
            ClosePage();
        StartPage();
    }
    RowTop -= size;
    std::memcpy(Page + RowTop, Row.data(), size);
    JetPut16(Page + DataHeaderSize + 2 * PageRows, static_cast<uint16_t>(RowTop));
    ++PageRows;
    ++Rows;
}

void TJetWriter::TState::WriteMaps(bool lastPageHasRoom) {
    for (size_t slot = 0; slot < ReferenceSlots; ++slot)
        if (UsagePage[slot] != 0) {
            File.WriteAt(uint64_t{UsagePage[slot]} * JetPageSize, UsageImage[slot].data(), JetPageSize);
            JetPut32(Owned.Bytes.data() + 1 + 4 * slot, UsagePage[slot]);
        }
    // Free space: at most the last data page, the only one that may take another row.
    const uint32_t last = PageNumber;
    std::fill(Free.Bytes.begin() + 1, Free.Bytes.end(), 0);
    Free.SetStart(last / InlineWindow * InlineWindow);
    if (lastPageHasRoom)
        Free.SetBit(last, true);
    // Global map: pages added are in use; once the file outgrows the first window, the window
    // moves to hold the file's end, with the pages past it free.
    if (NextPage <= InlineWindow) {
        for (uint32_t p = TemplatePages; p < NextPage; ++p)
            Global.SetBit(p, false);
    } else {
        Global.SetStart((NextPage - 1) / InlineWindow * InlineWindow);
        for (uint32_t p = Global.Start(); p < Global.Start() + InlineWindow; ++p)
            Global.SetBit(p, p >= NextPage);
    }
    WriteRow(Owned);
    WriteRow(Free);
    WriteRow(Global);
}

TJetWriter::TJetWriter(std::string table, std::vector<TJetExpectedColumn> columns)
    : S(std::make_unique<TState>()) {
    S->Table = std::move(table);
    S->Expected = std::move(columns);
}

TJetWriter::~TJetWriter() = default;

void TJetWriter::Open(const std::string& path) {
    Require(!S->Opened, "The database is open already.");
    S->File.Open(path);
    const std::vector<uint8_t> file = S->File.ReadAll(MaxTemplatePages * JetPageSize);
    try {
        S->Load(file);
    } catch (const EJetError& e) {
        throw EJetError(std::string("The database is not the expected empty template: ") + e.what() + ".");
    }
    S->Opened = true;
}

void TJetWriter::Append(const TJetValue* values) {
    Require(S->Opened && !S->Broken, "The database is not open for writing.");
    try {
        S->Place(S->Packer->Pack(values, S->Row.data(), S->Cut));
    } catch (...) {
        S->Broken = true;
        throw;
    }
}

void TJetWriter::Finish() {
    Require(S->Opened && !S->Broken, "The database is not open for writing.");
    try {
        if (S->Rows > 0) {
            const bool room = S->PageRows < MaxRowsPerPage && S->FreeSpace() >= S->Packer->MinRowSize() + 2;
            S->ClosePage();
            S->FlushBatch();
            S->WriteMaps(room);
            // The row count last, so that it never counts rows the maps do not reach.
            uint8_t count[4];
            JetPut32(count, static_cast<uint32_t>(S->Rows));
            S->File.WriteAt(uint64_t{S->TdefPage} * JetPageSize + JetTdefRowCount, count, sizeof count);
        }
        S->Opened = false;
        S->File.Close();
    } catch (...) {
        S->Broken = true;
        throw;
    }
}

int64_t TJetWriter::Rows() const {
    return S->Rows;
}

int64_t TJetWriter::CutValues() const {
    return S->Cut;
}
