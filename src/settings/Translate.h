#pragma once

#include <string>
#include <vector>

// Run-time translation of the interface texts from gettext catalogues at
// <locale folder>/<code>/LC_MESSAGES/<domain>.mo. Domains: "default", "SpTBX", "SQLite".
//
// Thread safety: every function may be called from any thread. A lookup uses the language in
// use when it starts; a concurrent UseLanguage affects only lookups that start after it.

// English source text in, translation of the language in use out (the source when there is none).
std::string Tr(const char* text);
std::string Tr(const std::string& text);
// The same in a named domain.
std::string TrD(const char* domain, const char* text);
std::string TrD(const char* domain, const std::string& text);
// Singular or plural form for count n, by the plural rule of the language's catalogue.
std::string TrN(const char* singular, const char* plural, long long n);

// Switches the language; "" means the user's language from the environment.
void UseLanguage(const std::string& code);
// The code in use ("en" when nothing was chosen).
std::string CurrentLanguage();
// Codes that have a catalogue of domain, lower case, sorted.
std::vector<std::string> LanguagesWithCatalogue(const std::string& domain);

// Where the catalogues are; the program folder's "locale" unless set (tests).
void SetLocaleFolder(const std::string& folder);
std::string LocaleFolder();

// Folder of the running executable, where its data files lie.
std::string ProgramFolder();
