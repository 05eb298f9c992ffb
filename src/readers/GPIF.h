#pragma once

#include "readers/GPXStream.h"
#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Longest value kept from an element of the score header, in bytes.
constexpr size_t GPXValueSize = 510;

// The score header of a Guitar Pro 6 file: the values as stored (UTF-8, nothing decoded), each at
// most GPXValueSize bytes and ending before its first zero byte.
struct GPXHeader {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Words;
    std::string Music;
    std::string WordsAndMusic;
};

// Forward-only reader of a container's content for the header scan. It takes a block at a time
// from a plain stream, or each newly decoded run from a TGPXStream, so the scan costs no virtual
// call per byte.
class TGPXContentReader {
public:
    explicit TGPXContentReader(TTabStream& content);
    TGPXContentReader(const TGPXContentReader&) = delete;
    TGPXContentReader& operator=(const TGPXContentReader&) = delete;

    // Raises ETabError "Unexpected end of GPX content" when the content has ended.
    uint8_t Next() {
        if (Cur == End)
            Fill();
        return *Cur++;
    }
    // Moves to the next byte b without taking it; raises like Next when the content ends first.
    void SkipTo(uint8_t b);

private:
    void Fill();

    TTabStream& Content;
    TGPXStream* Gpx;
    const uint8_t* Cur = nullptr;
    const uint8_t* End = nullptr;
    uint8_t Buffer[4096];
};

// Checks the signature. For "BCFZ" returns the decompressing stream, standing at content offset
// 4; for "BCFS" returns null: the file itself is the content, standing at offset 4.
std::unique_ptr<TGPXStream> OpenGPXContent(TTabStream& file);

// Stops just behind the next occurrence of pattern (bytes compared exactly).
void SkipPast(TGPXContentReader& in, std::string_view pattern);
// The next CDATA section's text, read to the section's end and kept up to GPXValueSize bytes.
std::string ReadCDATA(TGPXContentReader& in);
// The value of the next element called name: its CDATA section, or its text when it has none.
std::string ReadElement(TGPXContentReader& in, std::string_view name);

// Finds the six values in the content, in the order the score stores them.
void ScanGPIFHeader(TTabStream& content, GPXHeader& header);
void ReadGPXHeader(TTabStream& file, GPXHeader& header);
void GPXHeaderToTabInfo(const GPXHeader& header, TabInfo& info);
void ReadGPXFile(TTabStream& file, TabInfo& info);
