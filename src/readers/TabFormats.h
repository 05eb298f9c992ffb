#pragma once

#include "readers/TabInfo.h"
#include "readers/TabStream.h"

#include <cstdint>
#include <string_view>

// Families a scan accepts.
enum TabTypeFlag : uint8_t { ttGuitarPro = 1, ttPowerTab = 2, ttTuxGuitar = 4, ttTablEdit = 8 };
constexpr uint8_t ttAll = ttGuitarPro | ttPowerTab | ttTuxGuitar | ttTablEdit;

// Runs a family's header reader and then its converter into info.
using TabFileReader = void (*)(TTabStream& stream, TabInfo& info);

struct TTabFormat {
    std::string_view Extension; // lower case, with the dot
    uint8_t TypeFlag;
    TabFileReader Read;
};

// The first format whose extension equals ext (lower-cased, with the dot) and whose flag is in tabTypes.
const TTabFormat* FindTabFormat(std::string_view ext, uint8_t tabTypes);

// Lower-cased ASCII extension of a file name, from its last dot; empty when there is none.
std::string TabExtension(std::string_view fileName);
