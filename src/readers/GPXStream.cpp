#include "readers/GPXStream.h"

#include "readers/TabRead.h"

#include <algorithm>
#include <cstring>

uint32_t TBitReader::ReadBits(unsigned n) {
    uint32_t value = 0;
    for (unsigned i = 0; i < n; ++i)
        value = (value << 1) | ReadBit();
    return value;
}

uint32_t TBitReader::ReadBitsReversed(unsigned n) {
    uint32_t value = 0;
    for (unsigned i = 0; i < n; ++i)
        value |= ReadBit() << i;
    return value;
}

bool TBitReader::Refill() {
    BufPos = 0;
    BufEnd = Source.Read(Buffer, BufferSize);
    return BufEnd > 0;
}

namespace {

uint32_t ReadExpectedSize(TTabStream& source) {
    uint32_t size;
    ReadDword(source, size);
    return size;
}

[[noreturn]] void Corrupted() {
    throw ETabError("Corrupted GPX data");
}

} // namespace

TGPXStream::TGPXStream(TTabStream& source) : Bits(source), ExpectedSize(ReadExpectedSize(source)) {
    if (ExpectedSize > MaxExpectedSize)
        Corrupted();
}

uint8_t* TGPXStream::Reserve(size_t count) {
    constexpr size_t InitialCapacity = 64 * 1024;
    const size_t needed = Decoded + count;
    if (needed > Capacity) {
        const size_t grown = std::max({needed, Capacity * 2, InitialCapacity});
        const size_t capacity = std::min<size_t>(grown, ExpectedSize);
        // Left uninitialised: every byte handed out has been written by a chunk first.
        std::unique_ptr<uint8_t[]> output(new uint8_t[capacity]);
        if (Decoded > 0)
            std::memcpy(output.get(), Output.get(), Decoded);
        Output = std::move(output);
        Capacity = capacity;
    }
    return Output.get() + Decoded;
}

size_t TGPXStream::Read(void* buffer, size_t count) {
    // The content ends at the expected size; nothing decoded beyond it can be read.
    if (count == 0 || count > ExpectedSize - ReadPos)
        return 0;
    while (Decoded < ReadPos + count)
        if (!DecodeChunk())
            return 0;
    std::memcpy(buffer, Output.get() + ReadPos, count);
    ReadPos += count;
    return count;
}

std::span<const uint8_t> TGPXStream::ReadAvailable() {
    while (Decoded == ReadPos)
        if (Decoded == ExpectedSize || !DecodeChunk())
            return {};
    const std::span<const uint8_t> bytes(Output.get() + ReadPos, Decoded - ReadPos);
    ReadPos = Decoded;
    return bytes;
}

bool TGPXStream::DecodeChunk() {
    if (Bits.AtEnd())
        return false;
    if (Bits.ReadBit()) {
        // Back-reference: length bytes copied from offset bytes back, both of word-size bits.
        const unsigned wordSize = Bits.ReadBits(4);
        const size_t offset = Bits.ReadBitsReversed(wordSize);
        const size_t length = Bits.ReadBitsReversed(wordSize);
        if (offset > Decoded || length > ExpectedSize - Decoded)
            Corrupted();
        if (length == 0)
            return true;
        uint8_t* out = Reserve(length);
        if (offset == 0) {
            std::memset(out, 0, length);
        } else if (length <= offset) {
            std::memcpy(out, out - offset, length);
        } else {
            // A length beyond the offset repeats the run, so the copy goes byte by byte.
            const uint8_t* from = out - offset;
            for (size_t i = 0; i < length; ++i)
                out[i] = from[i];
        }
        Decoded += length;
    } else {
        // Literals: up to three bytes of eight bits each.
        const unsigned count = Bits.ReadBitsReversed(2);
        if (count > ExpectedSize - Decoded)
            Corrupted();
        uint8_t* out = Reserve(count);
        for (unsigned i = 0; i < count; ++i)
            out[i] = static_cast<uint8_t>(Bits.ReadBits(8));
        Decoded += count;
    }
    return true;
}
