#include "browse/GridLayout.h"

#include "settings/LayoutStore.h"

#include <QtGlobal>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

namespace {

struct TFieldInfo {
    const char* Field;
    const char* Heading;
    int Width;
    bool HeadingToolTip;
};

constexpr TFieldInfo Fields[] = {
    {"title", QT_TR_NOOP("Title"), 200, false},       {"artist", QT_TR_NOOP("Artist"), 150, false},
    {"album", QT_TR_NOOP("Album"), 130, false},       {"year", QT_TR_NOOP("Year"), 30, false},
    {"music", QT_TR_NOOP("Music"), 100, false},       {"words", QT_TR_NOOP("Words"), 100, false},
    {"filename", QT_TR_NOOP("File Name"), 400, true}, {"filesize", QT_TR_NOOP("Size"), 45, true},
    {"filedate", QT_TR_NOOP("Date"), 95, true},
};

constexpr const char* ColumnPrefix = "Column:";
constexpr const char* ColorsPrefix = "Colors:";

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

const TFieldInfo* FindField(std::string_view field) {
    for (const TFieldInfo& f : Fields)
        if (SameName(f.Field, field))
            return &f;
    return nullptr;
}

// Numbers the marked columns 1, 2, ... in their present order of sort index.
void Renumber(TGridLayout& layout) {
    std::vector<TGridColumn*> marked;
    for (TGridColumn& c : layout.Columns)
        if (c.Marker == TSortMarker::None)
            c.SortIndex = 0;
        else
            marked.push_back(&c);
    std::stable_sort(marked.begin(), marked.end(),
                     [](const TGridColumn* a, const TGridColumn* b) { return a->SortIndex < b->SortIndex; });
    for (size_t i = 0; i < marked.size(); ++i)
        marked[i]->SortIndex = static_cast<int>(i + 1);
}

std::optional<long long> Number(std::string_view text, int base = 10) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Calls take(key, value) for each "key=value" of a comma-separated list.
template <typename F> void ForEachPair(std::string_view list, F take) {
    while (!list.empty()) {
        const size_t comma = std::min(list.find(','), list.size());
        const std::string_view pair = list.substr(0, comma);
        const size_t eq = pair.find('=');
        if (eq != std::string_view::npos)
            take(pair.substr(0, eq), pair.substr(eq + 1));
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
}

std::string Hex(uint32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color & 0xFFFFFF));
    return text;
}

void ReadColumn(std::string_view line, TGridLayout& layout, std::vector<long long>& positions) {
    const size_t comma = std::min(line.find(','), line.size());
    const int at = FindGridColumn(layout, line.substr(0, comma));
    if (at < 0)
        return;
    TGridColumn& column = layout.Columns[static_cast<size_t>(at)];
    ForEachPair(line.substr(comma), [&](std::string_view key, std::string_view value) {
        const auto n = Number(value);
        if (!n)
            return;
        if (key == "Position" && *n >= 0)
            positions[static_cast<size_t>(at)] = *n;
        else if (key == "Width" && *n > 0 && *n <= 10000)
            column.Width = static_cast<int>(*n);
        else if (key == "Visible")
            column.Visible = *n != 0;
        else if (key == "SortIndex" && *n >= 0 && *n < 1000)
            column.SortIndex = static_cast<int>(*n);
        else if (key == "SortMarker" && *n >= 0 && *n <= 2)
            column.Marker = static_cast<TSortMarker>(*n);
    });
}

void ReadColors(std::string_view line, TGridLayout& layout) {
    ForEachPair(line, [&](std::string_view key, std::string_view value) {
        const auto n = Number(value, 16);
        if (!n || *n < 0 || *n > 0xFFFFFF)
            return;
        const auto color = static_cast<uint32_t>(*n);
        if (key == "EvenRow")
            layout.EvenRowColor = color;
        else if (key == "OddRow")
            layout.OddRowColor = color;
        else if (key == "Text")
            layout.TextColor = color;
    });
}

bool IsLayoutLine(const std::string& line) {
    return line.starts_with(ColumnPrefix) || line.starts_with(ColorsPrefix);
}

} // namespace

TGridLayout DefaultGridLayout() {
    TGridLayout layout;
    for (const TFieldInfo& f : Fields)
        layout.Columns.push_back({f.Field, f.Width, true, TSortMarker::None, 0});
    layout.Columns.front().Marker = TSortMarker::Ascending;
    layout.Columns.front().SortIndex = 1;
    return layout;
}

const char* FieldHeading(std::string_view field) {
    const TFieldInfo* f = FindField(field);
    return f ? f->Heading : nullptr;
}

bool HeadingHasToolTip(std::string_view field) {
    const TFieldInfo* f = FindField(field);
    return f && f->HeadingToolTip;
}

int FindGridColumn(const TGridLayout& layout, std::string_view field) {
    for (size_t i = 0; i < layout.Columns.size(); ++i)
        if (SameName(layout.Columns[i].Field, field))
            return static_cast<int>(i);
    return -1;
}

void ClickSortMarker(TGridLayout& layout, std::string_view field, bool addColumn) {
    const int at = FindGridColumn(layout, field);
    if (at < 0)
        return;
    TGridColumn& clicked = layout.Columns[static_cast<size_t>(at)];
    const TSortMarker next =
        clicked.Marker == TSortMarker::Ascending ? TSortMarker::Descending : TSortMarker::Ascending;
    if (!addColumn) {
        for (TGridColumn& c : layout.Columns)
            c.Marker = TSortMarker::None;
    } else if (clicked.Marker == TSortMarker::None) {
        clicked.SortIndex = static_cast<int>(layout.Columns.size()) + 1;
    }
    clicked.Marker = next;
    Renumber(layout);
}

std::vector<SortColumn> SortColumnsOf(const TGridLayout& layout) {
    std::vector<const TGridColumn*> marked;
    for (const TGridColumn& c : layout.Columns)
        if (c.Marker != TSortMarker::None)
            marked.push_back(&c);
    std::stable_sort(marked.begin(), marked.end(),
                     [](const TGridColumn* a, const TGridColumn* b) { return a->SortIndex < b->SortIndex; });
    std::vector<SortColumn> columns;
    for (const TGridColumn* c : marked)
        columns.push_back({c->Field, c->Marker == TSortMarker::Descending});
    return columns;
}

TMarkerLook MarkerLook(const TGridLayout& layout, int position) {
    if (position < 0 || position >= static_cast<int>(layout.Columns.size()))
        return {};
    const TGridColumn& column = layout.Columns[static_cast<size_t>(position)];
    const auto sorted = std::count_if(layout.Columns.begin(), layout.Columns.end(),
                                      [](const TGridColumn& c) { return c.Marker != TSortMarker::None; });
    if (column.Marker == TSortMarker::None)
        return {};
    return {column.Marker, sorted > 1 ? column.SortIndex : 0};
}

TSavedVisibility SaveVisibility(const TGridLayout& layout) {
    TSavedVisibility saved{};
    for (size_t i = 0; i < saved.size(); ++i)
        saved[i] = i < layout.Columns.size() && layout.Columns[i].Visible;
    return saved;
}

void ApplyViewVisibility(TGridLayout& layout, bool fullView, const TSavedVisibility& saved) {
    for (size_t i = 0; i < saved.size() && i < layout.Columns.size(); ++i)
        layout.Columns[i].Visible = fullView ? saved[i] : i == 0;
}

std::vector<std::string> GridLayoutLines(const TGridLayout& layout) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < layout.Columns.size(); ++i) {
        const TGridColumn& c = layout.Columns[i];
        lines.push_back(ColumnPrefix + c.Field + ",Position=" + std::to_string(i) +
                        ",Width=" + std::to_string(c.Width) + ",Visible=" + (c.Visible ? "1" : "0") +
                        ",SortIndex=" + std::to_string(c.SortIndex) +
                        ",SortMarker=" + std::to_string(static_cast<int>(c.Marker)));
    }
    lines.push_back(std::string(ColorsPrefix) + "EvenRow=" + Hex(layout.EvenRowColor) +
                    ",OddRow=" + Hex(layout.OddRowColor) + ",Text=" + Hex(layout.TextColor));
    return lines;
}

TGridLayout ReadGridLayout(const std::vector<std::string>& lines) {
    TGridLayout layout = DefaultGridLayout();
    const bool anyColumn = std::any_of(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l.starts_with(ColumnPrefix); });
    if (anyColumn) // a stored layout brings its own markers, none included
        for (TGridColumn& c : layout.Columns)
            c = {c.Field, c.Width, c.Visible, TSortMarker::None, 0};
    std::vector<long long> positions(layout.Columns.size(), -1);
    for (const std::string& line : lines) {
        const std::string_view text(line);
        if (text.starts_with(ColumnPrefix))
            ReadColumn(text.substr(std::string_view(ColumnPrefix).size()), layout, positions);
        else if (text.starts_with(ColorsPrefix))
            ReadColors(text.substr(std::string_view(ColorsPrefix).size()), layout);
    }
    std::vector<size_t> order(layout.Columns.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto key = [&](size_t i) {
        return positions[i] >= 0 ? positions[i] : (1LL << 40) + static_cast<long long>(i);
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
    std::vector<TGridColumn> columns;
    for (size_t i : order)
        columns.push_back(layout.Columns[i]);
    layout.Columns = std::move(columns);
    Renumber(layout);
    return layout;
}

void SaveGridOptions(const TGridPropertyStore& store, const TGridLayout& layout,
                     const std::vector<std::string>& extraLines) {
    std::vector<std::string> lines = GridLayoutLines(layout);
    lines.insert(lines.end(), extraLines.begin(), extraLines.end());
    store.Save(GridOptionsSection, lines);
}

TGridLayout LoadGridOptions(const TGridPropertyStore& store, std::vector<std::string>* extraLines) {
    const std::vector<std::string> lines = store.Load(GridOptionsSection);
    if (extraLines) {
        extraLines->clear();
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(*extraLines),
                     [](const std::string& l) { return !IsLayoutLine(l); });
    }
    return ReadGridLayout(lines);
}
