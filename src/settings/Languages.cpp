#include "settings/Languages.h"

#include "settings/Translate.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

std::string FirstHtmlFile(const std::string& folder) {
    std::vector<fs::path> pages;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (Lower(entry.path().extension().string()) == ".html" && IsFile(entry.path()))
            pages.push_back(entry.path());
    return pages.empty() ? std::string() : std::min_element(pages.begin(), pages.end())->string();
}

} // namespace

std::string HelpFileName(const std::string& folder, const std::string& languageCode) {
    const std::string lang = Lower(languageCode.substr(0, 2));
    const fs::path own = fs::path(folder) / ("help_" + lang + ".html");
    if (IsFile(own))
        return own.string();
    const fs::path near = fs::path(folder) / (lang == "be" || lang == "uk" ? "help_ru.html" : "help_en.html");
    if (IsFile(near))
        return near.string();
    const std::string any = FirstHtmlFile(folder);
    return any.empty() ? folder : any;
}

std::string HelpFileName() {
    return HelpFileName(ProgramFolder(), CurrentLanguage());
}

std::string LanguageName(const std::string& code) {
    const QLocale locale(QString::fromStdString(code));
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return code;
    std::string name = QLocale::languageToString(locale.language()).toStdString();
    if (code.find_first_of("_-") != std::string::npos && locale.territory() != QLocale::AnyTerritory)
        name += " (" + QLocale::territoryToString(locale.territory()).toStdString() + ")";
    return name;
}

int LanguageSelectorIndex(const std::vector<std::string>& codes, const std::string& current) {
    for (const std::string& wanted : {Lower(current), Lower(current.substr(0, 2))}) {
        for (size_t i = 0; i < codes.size(); ++i)
            if (Lower(codes[i]) == wanted)
                return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string LanguageAtSelectorIndex(const std::vector<std::string>& codes, int index) {
    if (index < 1 || static_cast<size_t>(index) > codes.size())
        return "en";
    return codes[static_cast<size_t>(index) - 1];
}
