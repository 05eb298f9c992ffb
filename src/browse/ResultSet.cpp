#include "browse/ResultSet.h"

#include "catalogue/CatalogueConnection.h"
#include "catalogue/DatabaseError.h"
#include "catalogue/Sqlite.h"

#include <algorithm>
#include <limits>
#include <new>

template <typename T> void TPodBuffer<T>::Reserve(size_t wanted) {
    if (wanted <= Capacity)
        return;
    const size_t grown = std::max(wanted, Capacity + Capacity / 2 + 4096 / sizeof(T));
    void* data = std::realloc(Data, grown * sizeof(T));
    if (!data)
        throw std::bad_alloc();
    Data = static_cast<T*>(data);
    Capacity = grown;
}

template <typename T> void TPodBuffer<T>::Append(const T* values, size_t count) {
    Reserve(Size + count);
    if (count)
        std::copy_n(values, count, Data + Size);
    Size += count;
}

template <typename T> void TPodBuffer<T>::Trim() {
    if (Size == Capacity)
        return;
    if (Size == 0) {
        std::free(std::exchange(Data, nullptr));
        Capacity = 0;
        return;
    }
    if (void* data = std::realloc(Data, Size * sizeof(T))) {
        Data = static_cast<T*>(data);
        Capacity = Size;
    }
}

template class TPodBuffer<char>;
template class TPodBuffer<uint32_t>;
template class TPodBuffer<uint64_t>;

namespace {

// Rows read per hold of the connection's mutex: short enough that another thread sharing the
// connection waits microseconds, long enough that locking costs nothing per row.
constexpr int kRowsPerLock = 64;

} // namespace

int TResultSet::FindColumn(std::string_view name) const {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (size_t i = 0; i < Names.size(); ++i)
        if (std::equal(Names[i].begin(), Names[i].end(), name.begin(), name.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return static_cast<int>(i);
    return -1;
}

std::optional<std::string> TResultSet::FirstValue() const {
    if (Names.empty())
        return std::nullopt;
    return Rows ? std::string(Cell(0, 0)) : std::string();
}

size_t TResultSet::MemoryBytes() const {
    size_t bytes = sizeof(*this) + Names.capacity() * sizeof(std::string);
    for (const std::string& name : Names) {
        const auto* self = reinterpret_cast<const char*>(&name);
        const bool inside = name.data() >= self && name.data() < self + sizeof name;
        bytes += inside ? 0 : name.capacity() + 1;
    }
    return bytes + Text.capacity() + Ends.capacity() * sizeof(uint32_t) +
           NullBits.capacity() * sizeof(uint64_t);
}

class TResultSetBuilder {
public:
    explicit TResultSetBuilder(sqlite3_stmt* stmt) : Stmt(stmt), Set(std::make_shared<TResultSet>()) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const char* name = sqlite3_column_name(stmt, c);
            Set->Names.emplace_back(name ? name : "");
        }
        Set->Ends.Push(0);
    }

    void AddRow() {
        for (int c = 0; c < Set->ColumnCount(); ++c)
            AddCell(c);
        ++Set->Rows;
    }

    std::shared_ptr<const TResultSet> Finish() {
        Set->Text.Trim();
        Set->Ends.Trim();
        Set->NullBits.Trim();
        return std::move(Set);
    }

private:
    void AddCell(int column) {
        const size_t cell = Set->Ends.size() - 1;
        if (cell % 64 == 0)
            Set->NullBits.Push(0);
        const int type = sqlite3_column_type(Stmt, column);
        if (type == SQLITE_NULL) {
            Set->NullBits.back() |= uint64_t{1} << (cell % 64);
        } else {
            // The blob's own bytes; every other type in SQLite's text form.
            const void* bytes =
                type == SQLITE_BLOB ? sqlite3_column_blob(Stmt, column) : sqlite3_column_text(Stmt, column);
            const auto size = static_cast<size_t>(sqlite3_column_bytes(Stmt, column));
            if (size > std::numeric_limits<uint32_t>::max() - Set->Text.size())
                ThrowDatabaseError(sqlite3_errstr(SQLITE_TOOBIG));
            Set->Text.Append(static_cast<const char*>(bytes), size);
        }
        Set->Ends.Push(static_cast<uint32_t>(Set->Text.size()));
    }

    sqlite3_stmt* Stmt;
    std::shared_ptr<TResultSet> Set;
};

namespace {

std::shared_ptr<const TResultSet> ReadAll(TSqlStatement& statement) {
    sqlite3_stmt* stmt = statement.Handle();
    sqlite3* db = sqlite3_db_handle(stmt);
    try {
        TResultSetBuilder builder(stmt);
        for (int rc = SQLITE_ROW; rc == SQLITE_ROW;) {
            // Held over the batch, so that a failure's message is the one of this statement and
            // the rows are read without taking the mutex per value.
            TSqlMutexLock lock(db);
            for (int n = 0; n < kRowsPerLock && (rc = sqlite3_step(stmt)) == SQLITE_ROW; ++n)
                builder.AddRow();
            if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                ThrowDatabaseError(sqlite3_errmsg(db));
        }
        return builder.Finish();
    } catch (const std::bad_alloc&) {
        ThrowDatabaseError(sqlite3_errstr(SQLITE_NOMEM));
    }
}

} // namespace

std::shared_ptr<const TResultSet> RunQuery(TSqlConnection& db, std::string_view sql) {
    TSqlStatement statement;
    std::string error;
    {
        TSqlMutexLock lock(db.Handle());
        if (!statement.Prepare(db, sql))
            error = db.LastError();
    }
    if (!statement.IsPrepared())
        ThrowDatabaseError(error);
    return ReadAll(statement);
}

std::shared_ptr<const TResultSet> RunQuery(TCatalogueConnection& db, std::string_view sql) {
    TSqlStatement statement = db.Prepare(sql);
    return ReadAll(statement);
}
