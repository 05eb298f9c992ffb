#include "settings/WebSearch.h"

#include "settings/IniFile.h"
#include "settings/Translate.h"

#include <algorithm>

namespace {

const char* const Section = "WebSearch";
const std::string Placeholder = "$SEARCHTERM";

std::string ItemKey(size_t n, const char* field) {
    return "Item_" + std::to_string(n) + "_" + field;
}

} // namespace

void ReadEngines(const TIniFile& file, WSEngineList& list) {
    const int count = std::min(file.ReadInteger(Section, "ItemsCount", 0), MaxWebSearchEngines);
    for (int i = 0; i < count; ++i) {
        const auto n = static_cast<size_t>(i);
        WSItem item;
        item.TitleURL = file.ReadString(Section, ItemKey(n, "TitleURL"), "");
        item.ArtistURL = file.ReadString(Section, ItemKey(n, "ArtistURL"), "");
        item.AlbumURL = file.ReadString(Section, ItemKey(n, "AlbumURL"), "");
        item.AllURL = file.ReadString(Section, ItemKey(n, "AllURL"), "");
        item.Title = file.ReadString(Section, ItemKey(n, "Title"), Tr("<no title>"));
        list.push_back(std::move(item));
    }
}

void WriteEngines(TIniFile& file, const WSEngineList& list) {
    file.WriteInteger(Section, "ItemsCount", static_cast<int>(list.size()));
    for (size_t n = 0; n < list.size(); ++n) {
        file.WriteString(Section, ItemKey(n, "Title"), list[n].Title);
        file.WriteString(Section, ItemKey(n, "TitleURL"), list[n].TitleURL);
        file.WriteString(Section, ItemKey(n, "ArtistURL"), list[n].ArtistURL);
        file.WriteString(Section, ItemKey(n, "AlbumURL"), list[n].AlbumURL);
        file.WriteString(Section, ItemKey(n, "AllURL"), list[n].AllURL);
    }
}

const std::string& SearchTemplate(const WSItem& engine, int field) {
    const std::string* const byField[] = {&engine.TitleURL, &engine.ArtistURL, &engine.AlbumURL,
                                          &engine.AllURL};
    if (field >= sfTitle && field <= sfAll) {
        if (!byField[field]->empty())
            return *byField[field];
        const std::string& second = field == sfAll ? engine.TitleURL : engine.AllURL;
        if (!second.empty())
            return second;
    }
    for (const std::string* t : byField)
        if (!t->empty())
            return *t;
    return engine.AllURL;
}

std::string WebSearchAddress(const WSEngineList& list, int selected, const std::string& term, int field) {
    if (selected < 0 || static_cast<size_t>(selected) >= list.size())
        return std::string();
    std::string plusTerm = term;
    std::replace(plusTerm.begin(), plusTerm.end(), ' ', '+');
    const std::string& tmpl = SearchTemplate(list[static_cast<size_t>(selected)], field);
    std::string address;
    size_t from = 0;
    for (size_t at = tmpl.find(Placeholder); at != std::string::npos; at = tmpl.find(Placeholder, from)) {
        address.append(tmpl, from, at - from).append(plusTerm);
        from = at + Placeholder.size();
    }
    return address.append(tmpl, from, std::string::npos);
}
