#pragma once

#include <cstdint>
#include <string>

// Catalogues of generated tablature rows for the browse benchmark, written through the catalogue
// store as a scan would, without files on disk.

struct TCatalogueCounts {
    int64_t Tabs = 0;
    int64_t Artists = 0;
    int64_t Albums = 0; // distinct (artist, album) pairs
};

// The catalogue of rows tablatures for seed under /tmp, generated on the first call and kept for
// later runs. Exits when it cannot be written.
std::string CachedCatalogue(int64_t rows, uint64_t seed, double* generateSeconds);
TCatalogueCounts CountCatalogue(const std::string& path);
