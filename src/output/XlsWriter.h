#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/OutputSink.h"

// A bare stream of BIFF records that spreadsheet programs open as one worksheet: BOF, any number
// of cells, EOF. Little-endian throughout; rows and columns count from 0. Failures of the sink
// propagate as its EWriteError.

// Longest LABEL text: the record's 16-bit length covers 8 bytes of cell header plus the text.
constexpr size_t XLSMaxLabelBytes = 0xFFFF - 8;
// Rows a worksheet holds (row numbers 0 to 65535).
constexpr int64_t XLSMaxRows = 0x10000;

void XLSWriteBOF(TByteSink& stream);
void XLSWriteEOF(TByteSink& stream);
// An RK cell for values in the signed 30-bit range; others would lose their top bits there, so
// they go into a NUMBER cell (a double, exact for every 32-bit and most 64-bit values).
void XLSWriteInteger(TByteSink& stream, uint16_t column, uint16_t row, int64_t value);
// A LABEL cell; text is code-page bytes, written as they are. Text beyond XLSMaxLabelBytes is cut.
void XLSWriteLabel(TByteSink& stream, uint16_t column, uint16_t row, std::string_view text);
