#include "readers/TabFormats.h"

#include "readers/GPIF.h"
#include "readers/GuitarPro.h"
#include "readers/PowerTab.h"
#include "readers/TablEdit.h"
#include "readers/TuxGuitar.h"

#include <array>
#include <string>

namespace {

// One row per extension; the first row matching the extension and an accepted family wins.
const TTabFormat Formats[] = {
    {".ptb", ttPowerTab, ReadPTBFile},
    {".gtp", ttGuitarPro, ReadGPFile},
    {".gp3", ttGuitarPro, ReadGPFile},
    {".gp4", ttGuitarPro, ReadGPFile},
    {".gp5", ttGuitarPro, ReadGPFile},
    {".gpx", ttGuitarPro, ReadGPXFile},
    {".tg", ttTuxGuitar, ReadTGFile},
    {".tef", ttTablEdit, ReadTEFFile},
};

} // namespace

const TTabFormat* FindTabFormat(std::string_view ext, uint8_t tabTypes) {
    for (const TTabFormat& f : Formats)
        if (f.Read && f.Extension == ext && (f.TypeFlag & tabTypes))
            return &f;
    return nullptr;
}

std::string TabExtension(std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string ext(base.substr(dot));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext;
}
