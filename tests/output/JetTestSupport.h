#pragma once

// Checks of written Access files that do not trust the writer: the page maps against the pages
// the file holds, the template's pages against the template, and the rows read back.

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/JetLayout.h"

inline const std::string TemplatePath = QV_SOURCE_DIR "/data/access/db.mdb";

inline std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The 69-byte map row that pointer (page << 8 | row) names.
inline TJetBytes MapRow(TJetBytes file, uint32_t pointer) {
    const TJetBytes page = file.subspan((pointer >> 8) * JetPageSize, JetPageSize);
    const TJetRowSlot slot = JetPageRows(page).at(pointer & 0xFF);
    return page.subspan(slot.Start, slot.Length);
}

inline TJetTableDef TableDef(TJetBytes file) {
    return ParseJetTableDef(file.subspan(FindJetTable(file, "tablatures") * JetPageSize, JetPageSize));
}

inline bool InlineBit(TJetBytes map, uint32_t page) {
    const uint32_t start = JetGet32(map.data() + 1);
    return page >= start && page < start + 512 && (map[5 + (page - start) / 8] >> ((page - start) % 8) & 1);
}

struct TWrittenTable {
    std::vector<uint32_t> DataPages; // in file order
    std::vector<std::vector<TJetBytes>> Rows;
};

// Checks the maps of the table of written against the template it was made from:
// - outside the row count, the map rows and the global map row, the template's pages are unchanged;
// - every page added is a data page of the table or one of its usage map pages;
// - the owned map holds exactly the data pages, the free map a subset of them;
// - the global map holds the file's end: pages added are in use, pages past the end free;
// - the rows on the data pages add up to the table's row count.
inline TWrittenTable CheckMaps(const std::vector<uint8_t>& original, const std::vector<uint8_t>& written) {
    TWrittenTable out;
    const TJetBytes file(written), tmpl(original);
    const uint32_t tdefPage = FindJetTable(tmpl, "tablatures");
    const TJetTableDef def = TableDef(file);
    const TJetBytes owned = MapRow(file, def.OwnedMap), free = MapRow(file, def.FreeMap),
                    global = MapRow(file, 1 << 8);
    std::vector<bool> mayDiffer(original.size(), false);
    for (TJetBytes row : {MapRow(tmpl, def.OwnedMap), MapRow(tmpl, def.FreeMap), MapRow(tmpl, 1 << 8)})
        std::fill_n(mayDiffer.begin() + (row.data() - tmpl.data()), row.size(), true);
    std::fill_n(mayDiffer.begin() + tdefPage * JetPageSize + JetTdefRowCount, 4, true);
    EXPECT_GE(written.size(), original.size());
    for (size_t i = 0; i < original.size() && i < written.size(); ++i)
        if (!mayDiffer[i] && original[i] != written[i]) {
            ADD_FAILURE() << "template byte " << i << " changed";
            break;
        }

    const uint32_t pages = static_cast<uint32_t>(written.size() / JetPageSize),
                   templatePages = static_cast<uint32_t>(original.size() / JetPageSize);
    EXPECT_EQ(written.size() % JetPageSize, 0u);
    std::set<uint32_t> ownedPages, usagePages;
    EXPECT_EQ(owned[0], 1);
    for (uint32_t slot = 0; slot < 17; ++slot) {
        const uint32_t usage = JetGet32(owned.data() + 1 + 4 * slot);
        if (usage == 0)
            continue;
        usagePages.insert(usage);
        const TJetBytes map = file.subspan(usage * JetPageSize, JetPageSize);
        EXPECT_EQ(map[0], JetPageUsageMap);
        for (uint32_t bit = 0; bit < (JetPageSize - 4) * 8; ++bit)
            if (map[4 + bit / 8] >> (bit % 8) & 1)
                ownedPages.insert(slot * (JetPageSize - 4) * 8 + bit);
    }
    size_t rowCount = 0;
    for (uint32_t p = templatePages; p < pages; ++p) {
        const TJetBytes page = file.subspan(p * JetPageSize, JetPageSize);
        if (usagePages.count(p))
            continue;
        EXPECT_EQ(page[0], JetPageData) << "page " << p;
        EXPECT_EQ(JetGet32(page.data() + 4), tdefPage) << "page " << p;
        EXPECT_TRUE(ownedPages.count(p)) << "data page " << p << " is not in the owned map";
        out.DataPages.push_back(p);
        out.Rows.emplace_back();
        const std::vector<TJetRowSlot> slots = JetPageRows(page);
        size_t lowest = JetPageSize;
        for (const TJetRowSlot& s : slots) {
            out.Rows.back().push_back(page.subspan(s.Start, s.Length));
            lowest = s.Start;
        }
        EXPECT_EQ(JetGet16(page.data() + 2), lowest - 14 - 2 * slots.size()) << "free space of page " << p;
        rowCount += slots.size();
    }
    EXPECT_EQ(ownedPages.size(), out.DataPages.size()) << "the owned map holds pages that are not data pages";
    EXPECT_EQ(def.RowCount, rowCount);
    EXPECT_EQ(free[0], 0);
    for (uint32_t p = JetGet32(free.data() + 1), end = p + 512; p < end; ++p)
        EXPECT_TRUE(!InlineBit(free, p) || ownedPages.count(p)) << "free map page " << p << " is not owned";

    const uint32_t start = JetGet32(global.data() + 1);
    EXPECT_EQ(global[0], 0);
    EXPECT_TRUE(pages - 1 >= start && pages - 1 < start + 512) << "the global map misses the file's end";
    for (uint32_t p = std::max(start, templatePages); p < start + 512; ++p)
        EXPECT_EQ(InlineBit(global, p), p >= pages) << "global map bit of page " << p;
    return out;
}
