#include "settings/Translate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <set>
#include <thread>

namespace {

class TranslateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocaleFolder(QV_BUILD_DIR "/locale");
        UseLanguage("en");
    }
    void TearDown() override { UseLanguage("en"); }
};

TEST_F(TranslateTest, RussianPluralFormsFollowTheCatalogueRule) {
    UseLanguage("ru");
    EXPECT_EQ(CurrentLanguage(), "ru");
    struct {
        long long n;
        const char* expected;
    } rows[] = {
        {1, "Всего %d табулатура."},       {21, "Всего %d табулатура."}, {2, "Всего %d табулатуры."},
        {24, "Всего %d табулатуры."},      {5, "Всего %d табулатур."},   {11, "Всего %d табулатур."},
        {12, "Всего %d табулатур."},       {111, "Всего %d табулатур."}, {0, "Всего %d табулатур."},
        {3000001, "Всего %d табулатура."},
    };
    for (const auto& r : rows)
        EXPECT_EQ(TrN("%d tablature total.", "%d tablatures total.", r.n), r.expected) << r.n;
}

TEST_F(TranslateTest, MissingTranslationFallsBackToTheSource) {
    EXPECT_EQ(TrN("%d tablature total.", "%d tablatures total.", 1), "%d tablature total.");
    EXPECT_EQ(TrN("%d tablature total.", "%d tablatures total.", 0), "%d tablatures total.");
    UseLanguage("de");
    EXPECT_EQ(Tr("Done."), "Fertig.");
    EXPECT_EQ(Tr("A text nobody translated"), "A text nobody translated");
    EXPECT_EQ(TrD("SQLite", "Done."), "Done.");
    UseLanguage("xx");
    EXPECT_EQ(Tr("Done."), "Done.");
}

TEST_F(TranslateTest, EmptyCodeTakesTheEnvironmentsLanguage) {
    const char* saved = std::getenv("LANGUAGE");
    const std::string keep = saved ? saved : "";
    setenv("LANGUAGE", "de_DE.UTF-8", 1);
    UseLanguage("");
    EXPECT_EQ(CurrentLanguage(), "de_DE");
    EXPECT_EQ(Tr("Done."), "Fertig.");
    saved ? setenv("LANGUAGE", keep.c_str(), 1) : unsetenv("LANGUAGE");
}

TEST_F(TranslateTest, CataloguesAreListedByDomain) {
    const auto codes = LanguagesWithCatalogue("default");
    EXPECT_TRUE(std::set<std::string>(codes.begin(), codes.end()).count("ru"));
    EXPECT_TRUE(std::set<std::string>(codes.begin(), codes.end()).count("de"));
    EXPECT_TRUE(LanguagesWithCatalogue("NoSuchDomain").empty());
}

TEST_F(TranslateTest, LookupsAreSafeWhileAnotherThreadSwitches) {
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!stop) {
                const std::string s = Tr("Done.");
                if (s != "Done." && s != "Fertig." && s != "Готово.")
                    ++bad;
            }
        });
    for (int i = 0; i < 200; ++i)
        UseLanguage(i % 3 == 0 ? "de" : i % 3 == 1 ? "ru" : "en");
    stop = true;
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(bad, 0);
}

} // namespace
