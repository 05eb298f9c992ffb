#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <cstdint>
#include <string_view>

void ReadByte(TTabStream& stream, uint8_t& value);
void ReadWord(TTabStream& stream, uint16_t& value);
void ReadDword(TTabStream& stream, uint32_t& value);
// Length byte then that many bytes; buffer holds at least 255 bytes. Returns the length.
uint8_t ReadByteString(TTabStream& stream, char* buffer);
// Length byte then that many 16-bit units, byte order untouched; buffer holds 512 zeroed bytes.
void ReadUtf16String(TTabStream& stream, char* buffer);

// Zeroes the five text fields, year, size and encoding; FileName is made empty.
void ClearTabInfo(TabInfo& info);
void CopyToField(char* field, size_t capacity, std::string_view text);
void SwapUtf16Field(char* field);
void ZeroField(void* buffer, size_t count);

// Reads exactly count bytes or raises ETabError with message.
void ReadExact(TTabStream& stream, void* buffer, size_t count, const char* message);
