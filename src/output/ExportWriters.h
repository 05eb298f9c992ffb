#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "output/ExportSource.h"
#include "output/OutputSink.h"

// One export format: a head, one block per row, a tail.
class TExportWriter {
public:
    virtual ~TExportWriter() = default;
    virtual void Begin() = 0;
    virtual void Row(const TExportRow& row, int64_t index) = 0;
    virtual void End() = 0;
    virtual int64_t MaxRows() const { return std::numeric_limits<int64_t>::max(); }
};

std::unique_ptr<TExportWriter> MakeExcelWriter(TByteSink& sink, const std::string& codePage);
std::unique_ptr<TExportWriter> MakeXMLWriter(TByteSink& sink);
std::unique_ptr<TExportWriter> MakeHTMLWriter(TByteSink& sink);

// Appends value made fit for XML character data: "&", "<" and ">" escaped, malformed UTF-8 bytes
// replaced by U+FFFD, and the characters XML 1.0 forbids (controls other than tab, line feed and
// carriage return; U+FFFE, U+FFFF) left out.
void AppendXMLText(std::string& out, const std::string& value);
