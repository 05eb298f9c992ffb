#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Builds the byte image of a test file: little-endian integers and length-prefixed strings.
class ByteBuilder {
public:
    ByteBuilder& Bytes(std::string_view s) {
        Data.append(s);
        return *this;
    }
    ByteBuilder& Byte(uint8_t v) {
        Data.push_back(static_cast<char>(v));
        return *this;
    }
    ByteBuilder& Word(uint16_t v) { return Byte(v & 0xFF).Byte(v >> 8); }
    ByteBuilder& Dword(uint32_t v) { return Word(v & 0xFFFF).Word(v >> 16); }
    ByteBuilder& Fill(size_t count, uint8_t v = 0) {
        Data.append(count, static_cast<char>(v));
        return *this;
    }
    // Length byte, then the bytes.
    ByteBuilder& ByteString(std::string_view s) { return Byte(static_cast<uint8_t>(s.size())).Bytes(s); }
    // The bytes, then a NUL.
    ByteBuilder& CString(std::string_view s) { return Bytes(s).Byte(0); }
    // Unit count byte, then UTF-16 units in the given byte order.
    ByteBuilder& Utf16String(std::u16string_view s, bool bigEndian = false) {
        Byte(static_cast<uint8_t>(s.size()));
        for (char16_t u : s)
            bigEndian ? Byte(u >> 8).Byte(u & 0xFF) : Byte(u & 0xFF).Byte(u >> 8);
        return *this;
    }
    const std::string& Str() const { return Data; }
    size_t Size() const { return Data.size(); }

private:
    std::string Data;
};
