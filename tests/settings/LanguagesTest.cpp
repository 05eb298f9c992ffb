#include "settings/Languages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace {

TEST(LanguagesTest, HelpPageFollowsTheLanguageWithFallBacks) {
    struct {
        std::vector<const char*> files;
        const char* code;
        const char* expected; // "" is the folder itself
    } rows[] = {
        {{"help_en.html", "help_pt.html"}, "pt_BR", "help_pt.html"},
        {{"help_en.html", "help_ru.html"}, "uk", "help_ru.html"},
        {{"help_en.html", "help_ru.html"}, "be", "help_ru.html"},
        {{"help_en.html", "help_ru.html"}, "de", "help_en.html"},
        {{"help_ru.html"}, "UK", "help_ru.html"},
        {{"zz.HTML", "help_fr.html", "notes.txt"}, "de", "help_fr.html"},
        {{"notes.txt"}, "de", ""},
    };
    for (const auto& r : rows) {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        for (const char* f : r.files)
            std::ofstream(folder + "/" + f) << "x";
        std::filesystem::create_directory(folder + "/help_de.html"); // a folder is no page
        const std::string expected = *r.expected ? folder + "/" + r.expected : folder;
        EXPECT_EQ(HelpFileName(folder, r.code), expected) << r.code << " " << r.expected;
    }
}

TEST(LanguagesTest, CodesHaveEnglishNames) {
    EXPECT_EQ(LanguageName("de"), "German");
    EXPECT_EQ(LanguageName("ru"), "Russian");
    EXPECT_EQ(LanguageName("pt_BR"), "Portuguese (Brazil)");
    EXPECT_EQ(LanguageName("pt_br"), "Portuguese (Brazil)");
    EXPECT_EQ(LanguageName("qq"), "qq");
}

TEST(LanguagesTest, SelectorTakesTheCodeThenItsLanguageElseEnglish) {
    const std::vector<std::string> codes = {"de", "pt", "pt_br", "ru"};
    struct {
        const char* current;
        int index;
    } rows[] = {
        {"ru", 4}, {"pt_BR", 3}, {"pt_PT", 2}, {"de_AT.UTF-8", 1}, {"en", 0}, {"fr", 0}, {"", 0},
    };
    for (const auto& r : rows) {
        const int index = LanguageSelectorIndex(codes, r.current);
        EXPECT_EQ(index, r.index) << r.current;
        EXPECT_EQ(LanguageAtSelectorIndex(codes, index), r.index ? codes[r.index - 1] : "en") << r.current;
    }
    EXPECT_EQ(LanguageAtSelectorIndex(codes, 5), "en");
    EXPECT_EQ(LanguageAtSelectorIndex(codes, -1), "en");
}

} // namespace
