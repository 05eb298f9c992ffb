#include "readers/GPXStream.h"

#include "readers/TabRead.h"

#include <algorithm>
#include <cstring>
#include <endian.h>
#include <utility>

namespace {

uint32_t ReadExpectedSize(TTabStream& source) {
    uint32_t size;
    ReadDword(source, size);
    return size;
}

[[noreturn]] void Corrupted() {
    throw ETabError("Corrupted GPX data");
}

// Runs of a chunk or two would cost the header scan a call per chunk; decoding on to this many
// bytes hands it longer runs.
constexpr size_t AheadRun = 512;

} // namespace

void TBitReader::Fill(unsigned n) {
    if (BufEnd - BufPos >= 8) {
        // One load for as many whole bytes as fit. The bits it leaves below Count are those of
        // the next bytes, which loading them later sets again to the same values.
        uint64_t word;
        std::memcpy(&word, Buffer + BufPos, sizeof word);
        Bits |= be64toh(word) >> Count;
        const unsigned taken = (63 - Count) / 8;
        BufPos += taken;
        Count += 8 * taken;
        return;
    }
    while (Count <= 56) {
        // The source is asked for more only while the bits are still short of n.
        if (BufPos == BufEnd && (Count >= n || !Refill()))
            break;
        Bits |= uint64_t{Buffer[BufPos++]} << (56 - Count);
        Count += 8;
    }
    if (Count < n)
        throw ETabError("Cannot read BYTE");
}

bool TBitReader::Refill() {
    BufPos = 0;
    BufEnd = Source.Read(Buffer, BufferSize);
    return BufEnd > 0;
}

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
        if (!DecodeNext())
            return 0;
    std::memcpy(buffer, Output.get() + ReadPos, count);
    ReadPos += count;
    return count;
}

bool TGPXStream::DecodeNext() {
    if (Deferred)
        std::rethrow_exception(std::exchange(Deferred, nullptr));
    return DecodeChunk();
}

std::span<const uint8_t> TGPXStream::ReadAvailable() {
    while (Decoded == ReadPos)
        if (Decoded == ExpectedSize || !DecodeNext())
            return {};
    try {
        while (Decoded - ReadPos < AheadRun && Decoded < ExpectedSize && DecodeChunk()) {
        }
    } catch (...) {
        // The bytes decoded so far are good; the failure waits until something needs more.
        Deferred = std::current_exception();
    }
    const std::span<const uint8_t> bytes(Output.get() + ReadPos, Decoded - ReadPos);
    ReadPos = Decoded;
    return bytes;
}

bool TGPXStream::DecodeChunk() {
    if (Bits.AtEnd())
        return false;
    if (Bits.ReadBit()) {
        // Back-reference: length bytes copied from offset bytes back, both of word-size bits.
        // Offset and length are taken in one read (2 * 15 bits at most) and reversed together,
        // which leaves the offset's bits below the length's.
        const unsigned wordSize = Bits.ReadBits(4);
        const uint32_t both = Bits.ReadBitsReversed(2 * wordSize);
        const size_t offset = both & ((1u << wordSize) - 1);
        const size_t length = both >> wordSize;
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
        const uint32_t bytes = Bits.ReadBits(8 * count);
        uint8_t* out = Reserve(count);
        for (unsigned i = 0; i < count; ++i)
            out[i] = static_cast<uint8_t>(bytes >> (8 * (count - 1 - i)));
        Decoded += count;
    }
    return true;
}
