#pragma once

#include <cstdint>
#include <optional>
#include <string>

// One exported tablature: the catalogue's columns in export order. Texts are UTF-8 as the catalogue
// holds them (not necessarily well-formed).
struct TExportRow {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::optional<int64_t> Year;
    std::string Words;
    std::string Music;
    std::string FileName;
    int64_t FileSize = 0;
};

// The exported list, in list order. Failures raise EQuiravelError.
class TExportRowSource {
public:
    virtual ~TExportRowSource() = default;
    // Number of rows the list holds, for the progress figures.
    virtual int64_t Total() = 0;
    // Fills row with the next row; false after the last one.
    virtual bool Next(TExportRow& row) = 0;
};
