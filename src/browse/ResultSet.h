#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TCatalogueConnection;
class TSqlConnection;
class TSqlStatement;

// A growable array of trivially copyable values on malloc/realloc: a large block is a mapping that
// realloc grows and trims by remapping, so neither growth nor the final trim copies the bytes or
// briefly needs twice the memory, as a std::vector would.
template <typename T> class TPodBuffer {
public:
    TPodBuffer() = default;
    TPodBuffer(TPodBuffer&& other) noexcept
        : Data(std::exchange(other.Data, nullptr)), Size(std::exchange(other.Size, 0)),
          Capacity(std::exchange(other.Capacity, 0)) {}
    TPodBuffer& operator=(TPodBuffer&&) = delete;
    TPodBuffer(const TPodBuffer&) = delete;
    ~TPodBuffer() { std::free(Data); }

    void Append(const T* values, size_t count);
    void Push(T value) { Append(&value, 1); }
    void Trim();
    T& back() { return Data[Size - 1]; }
    const T* data() const { return Data; }
    size_t size() const { return Size; }
    size_t capacity() const { return Capacity; }

private:
    void Reserve(size_t wanted);

    T* Data = nullptr;
    size_t Size = 0;
    size_t Capacity = 0;
};

// The rows of one finished query, read to the end and never changed afterwards, so that a worker
// may build it and the main thread show it without locks.
//
// Every value is kept as its text (SQLite's own text form of integers and reals, the raw bytes of a
// blob) in one buffer; cell i ends at Ends[i + 1] and starts where cell i - 1 ended, and a bit per
// cell marks NULL. Offsets are 32 bits wide, so one result holds at most 4 GiB of text.
class TResultSet {
public:
    int ColumnCount() const { return static_cast<int>(Names.size()); }
    size_t RowCount() const { return Rows; }
    const std::string& ColumnName(int column) const { return Names[static_cast<size_t>(column)]; }
    // The first column named name (ASCII case-insensitive, as SQLite compares names); -1 when none.
    int FindColumn(std::string_view name) const;

    // Row and column must be in range. A NULL reads as empty text.
    std::string_view Cell(size_t row, int column) const {
        const size_t i = row * Names.size() + static_cast<size_t>(column);
        return {Text.data() + Ends.data()[i], Ends.data()[i + 1] - Ends.data()[i]};
    }
    bool IsNull(size_t row, int column) const {
        const size_t i = row * Names.size() + static_cast<size_t>(column);
        return (NullBits.data()[i / 64] >> (i % 64)) & 1;
    }
    // The first column of the first row: empty text when there are no rows (or it is NULL), none
    // when there are no columns.
    std::optional<std::string> FirstValue() const;

    // Heap bytes held by the result, slack included.
    size_t MemoryBytes() const;

private:
    friend class TResultSetBuilder;

    std::vector<std::string> Names;
    size_t Rows = 0;
    TPodBuffer<char> Text;
    TPodBuffer<uint32_t> Ends;
    TPodBuffer<uint64_t> NullBits;
};

// Runs the first statement of sql to its end and keeps every row. Throws EDatabaseError with
// SQLite's message (translated) when the statement cannot be prepared or a step fails, and when
// the text outgrows one result.
std::shared_ptr<const TResultSet> RunQuery(TSqlConnection& db, std::string_view sql);
std::shared_ptr<const TResultSet> RunQuery(TCatalogueConnection& db, std::string_view sql);
