#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>

// Reads the bits of a byte stream, the bytes in order and each byte from bit 7 down to bit 0.
// The source is read a block at a time, so it stands up to one block ahead of the bits taken.
// Up to 64 bits wait in a word with the next bit on top, so a field of n bits is one shift.
class TBitReader {
public:
    explicit TBitReader(TTabStream& source) : Source(source) {}
    TBitReader(const TBitReader&) = delete;
    TBitReader& operator=(const TBitReader&) = delete;

    // Raises ETabError "Cannot read BYTE" when a bit is needed beyond the end of the source.
    unsigned ReadBit() { return ReadBits(1); }
    // n bits (n <= 32), the first one read becoming the most significant.
    uint32_t ReadBits(unsigned n) {
        if (Count < n)
            Fill(n);
        if (n == 0)
            return 0;
        const auto value = static_cast<uint32_t>(Bits >> (64 - n));
        Bits <<= n;
        Count -= n;
        return value;
    }
    // n bits (n <= 32), the first one read becoming bit 0.
    uint32_t ReadBitsReversed(unsigned n) {
        const uint32_t v = ReadBits(n);
        if (n == 0)
            return 0;
        const uint32_t reversed = (uint32_t{ReversedBytes[v & 0xFF]} << 24) |
                                  (uint32_t{ReversedBytes[(v >> 8) & 0xFF]} << 16) |
                                  (uint32_t{ReversedBytes[(v >> 16) & 0xFF]} << 8) | ReversedBytes[v >> 24];
        return reversed >> (32 - n);
    }
    // True when the source has no unread byte; bits left in the current byte do not count.
    bool AtEnd() { return Count < 8 && BufPos == BufEnd && !Refill(); }

private:
    // Each byte with its bits in the opposite order.
    static constexpr std::array<uint8_t, 256> ReversedBytes = [] {
        std::array<uint8_t, 256> table{};
        for (unsigned b = 0; b < 256; ++b)
            for (unsigned i = 0; i < 8; ++i)
                table[b] |= static_cast<uint8_t>(((b >> i) & 1u) << (7 - i));
        return table;
    }();

    // Loads whole bytes until at least n bits wait; raises ETabError when the source ends first.
    void Fill(unsigned n);
    bool Refill();

    static constexpr size_t BufferSize = 4096;
    TTabStream& Source;
    // The waiting bits, the next one in bit 63; Count of them are valid, the rest are zero or
    // the bits of the bytes that follow.
    uint64_t Bits = 0;
    unsigned Count = 0;
    size_t BufPos = 0;
    size_t BufEnd = 0;
    uint8_t Buffer[BufferSize];
};

// The content of a "BCFZ" file: a bit stream of literal and back-reference chunks that decodes
// into a buffer of at most the expected size. Decoding goes only as far as the reads reach, and the
// buffer grows with it, so a header found early costs neither the time nor the memory of the rest
// of the file, and a size announced by a broken file is never allocated up front. Read-only; the
// source is not owned.
class TGPXStream : public TTabStream {
public:
    // Content sizes above this are refused rather than allocated.
    static constexpr uint32_t MaxExpectedSize = 256u << 20;

    // source stands just behind "BCFZ", at the expected content size.
    explicit TGPXStream(TTabStream& source);

    // Delivers exactly count bytes, or 0 without moving when the content has fewer left.
    size_t Read(void* buffer, size_t count) override;
    uint64_t Position() const override { return ReadPos; }
    uint64_t Size() const override { return ExpectedSize; }

    // Hands out every byte decoded beyond the read position, decoding chunks until there is at
    // least one, and then a few more while they decode cleanly; empty at the end of the content.
    // What it returns counts as read. A failure met while decoding ahead is raised by the call
    // that needs the bytes behind it.
    std::span<const uint8_t> ReadAvailable();
    size_t DecodedLength() const { return Decoded; }

    // Decodes one chunk; false when the source is exhausted at the chunk's start.
    bool DecodeChunk();

private:
    // DecodeChunk, first raising a failure deferred by ReadAvailable.
    bool DecodeNext();

    // Makes room for the decoded length plus count bytes, which stay within the expected size.
    uint8_t* Reserve(size_t count);

    TBitReader Bits;
    uint32_t ExpectedSize;
    std::unique_ptr<uint8_t[]> Output;
    size_t Capacity = 0;
    size_t Decoded = 0;
    size_t ReadPos = 0;
    std::exception_ptr Deferred;
};
