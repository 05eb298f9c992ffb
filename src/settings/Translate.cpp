#include "settings/Translate.h"

#include <boost/locale.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const Domains[] = {"default", "SpTBX", "SQLite"};

struct TLanguage {
    std::string Code;
    std::locale Locale;
};

struct TTranslator {
    std::mutex Lock;
    std::string Folder;
    std::shared_ptr<const TLanguage> Current;
};

TTranslator& Translator() {
    static TTranslator t;
    return t;
}

std::shared_ptr<const TLanguage> Current() {
    TTranslator& t = Translator();
    std::lock_guard<std::mutex> g(t.Lock);
    return t.Current;
}

// "de_DE.UTF-8@euro" -> "de_DE"; "C" and "POSIX" -> "en".
std::string CodeFromLocaleName(std::string name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX")
        return "en";
    return name;
}

std::string UserLanguage() {
    for (const char* var : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            std::string s(v);
            return CodeFromLocaleName(s.substr(0, s.find(':')));
        }
    }
    return "en";
}

std::shared_ptr<const TLanguage> MakeLanguage(const std::string& code, const std::string& folder) {
    boost::locale::generator gen;
    gen.add_messages_path(folder);
    for (const char* d : Domains)
        gen.add_messages_domain(d);
    gen.set_default_messages_domain("default");
    return std::make_shared<const TLanguage>(TLanguage{code, gen(code + ".UTF-8")});
}

} // namespace

std::string ProgramFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path().string() : exe.parent_path().string();
}

void SetLocaleFolder(const std::string& folder) {
    const std::string code = CurrentLanguage();
    {
        std::lock_guard<std::mutex> g(Translator().Lock);
        Translator().Folder = folder;
    }
    UseLanguage(code);
}

std::string LocaleFolder() {
    TTranslator& t = Translator();
    std::lock_guard<std::mutex> g(t.Lock);
    if (t.Folder.empty())
        t.Folder = (fs::path(ProgramFolder()) / "locale").string();
    return t.Folder;
}

void UseLanguage(const std::string& code) {
    const std::string wanted = code.empty() ? UserLanguage() : code;
    auto lang = MakeLanguage(wanted, LocaleFolder());
    TTranslator& t = Translator();
    std::lock_guard<std::mutex> g(t.Lock);
    t.Current = std::move(lang);
}

std::string CurrentLanguage() {
    auto lang = Current();
    return lang ? lang->Code : "en";
}

std::string Tr(const char* text) {
    return TrD("default", text);
}
std::string Tr(const std::string& text) {
    return TrD("default", text.c_str());
}
std::string TrD(const char* domain, const std::string& text) {
    return TrD(domain, text.c_str());
}

std::string TrD(const char* domain, const char* text) {
    auto lang = Current();
    if (!lang || !*text)
        return text;
    return boost::locale::dgettext(domain, text, lang->Locale);
}

std::string TrN(const char* singular, const char* plural, long long n) {
    auto lang = Current();
    if (!lang)
        return n == 1 ? singular : plural;
    // Boost.Locale counts with an int; the plural rules only look at the value modulo 100 and its size.
    const int count = (n > 1000000 || n < -1000000)
                          ? static_cast<int>(1000000 + (n < 0 ? -(n % 100) : n % 100))
                          : static_cast<int>(n);
    return boost::locale::dngettext("default", singular, plural, count, lang->Locale);
}

std::vector<std::string> LanguagesWithCatalogue(const std::string& domain) {
    std::vector<std::string> codes;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(LocaleFolder(), ec)) {
        if (!fs::is_regular_file(entry.path() / "LC_MESSAGES" / (domain + ".mo"), ec))
            continue;
        std::string code = entry.path().filename().string();
        std::transform(code.begin(), code.end(), code.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        codes.push_back(code);
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}
