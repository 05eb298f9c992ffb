#pragma once

#include "browse/QueryComposer.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TGridPropertyStore;

// The tablature list's column layout, kept apart from any widget so that the sort rules, the two
// views and the stored form can be reasoned about on their own.

enum class TSortMarker { None, Ascending, Descending };

struct TGridColumn {
    std::string Field;
    int Width = 100;
    bool Visible = true;
    TSortMarker Marker = TSortMarker::None;
    int SortIndex = 0; // 1 for the first sort column; 0 when unsorted

    bool operator==(const TGridColumn&) const = default;
};

// Columns in display order (a column's position is its index), and the list's colours as 0xRRGGBB.
struct TGridLayout {
    std::vector<TGridColumn> Columns;
    uint32_t EvenRowColor = 0xFFFFFF;
    uint32_t OddRowColor = 0xFFFFFF;
    uint32_t TextColor = 0x000000;

    bool operator==(const TGridLayout&) const = default;
};

// Visibility of the columns at positions 1 to 8, restored by the full view.
using TSavedVisibility = std::array<bool, 8>;

// The nine fields in shipped order, their widths, sorted by title ascending.
TGridLayout DefaultGridLayout();
// The English heading of one of the nine fields (matched case-blind); null for any other name.
const char* FieldHeading(std::string_view field);
// Whether the field's heading shows its text as a tooltip.
bool HeadingHasToolTip(std::string_view field);
// Position of the field (case-blind), or -1.
int FindGridColumn(const TGridLayout& layout, std::string_view field);

// A click on a heading: the column's marker flips when it has one and becomes ascending when it has
// none. Without addColumn every other marker is cleared; with it the others keep theirs and a newly
// marked column sorts last. Unknown fields change nothing.
void ClickSortMarker(TGridLayout& layout, std::string_view field, bool addColumn);
// The marked columns in sort index order, for the next refill's ORDER BY.
std::vector<SortColumn> SortColumnsOf(const TGridLayout& layout);

// How a heading draws its marker: the arrow, and the sort index beside it while several columns
// are sorted (0 otherwise).
struct TMarkerLook {
    TSortMarker Marker = TSortMarker::None;
    int Number = 0;
    bool operator==(const TMarkerLook&) const = default;
};
TMarkerLook MarkerLook(const TGridLayout& layout, int position);

TSavedVisibility SaveVisibility(const TGridLayout& layout);
// Full view: positions 1 to 8 as saved. Short view: position 1 shown, 2 to 8 hidden. Position 9
// keeps its visibility in both.
void ApplyViewVisibility(TGridLayout& layout, bool fullView, const TSavedVisibility& saved);

// The stored form: one line per column in display order, then one of colours.
std::vector<std::string> GridLayoutLines(const TGridLayout& layout);
// Starts from the shipped layout; lines of other kinds, unknown fields and unreadable values are
// skipped, and columns without a stored position follow the stored ones in shipped order.
TGridLayout ReadGridLayout(const std::vector<std::string>& lines);

// Section "GridOptions": the layout's lines followed by extraLines (the printing options that
// share the section). LoadGridOptions returns the lines that are not the layout's in extraLines.
void SaveGridOptions(const TGridPropertyStore& store, const TGridLayout& layout,
                     const std::vector<std::string>& extraLines = {});
TGridLayout LoadGridOptions(const TGridPropertyStore& store, std::vector<std::string>* extraLines = nullptr);
