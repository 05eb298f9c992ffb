#pragma once

#include <string>
#include <vector>

// Choices that the language selector, the language menu and the help command share. The codes
// with a catalogue come from LanguagesWithCatalogue("default") (Translate.h).

// Full path of the help page for a language: "help_<first two letters>.html" in folder; when
// missing, the Russian page for "be" and "uk" and the English page for the rest; when missing
// too, the first ".html" file of folder by name; when there is none, folder itself.
std::string HelpFileName(const std::string& folder, const std::string& languageCode);
// The same for the program folder and the language in use.
std::string HelpFileName();

// English name of a language code: "de" gives "German", "pt_BR" "Portuguese (Brazil)"; a code
// without a name gives the code itself.
std::string LanguageName(const std::string& code);

// Position to select in a list of "English" followed by codes: that of the language in use,
// compared without regard to case, else that of its first two letters, else 0 ("English").
int LanguageSelectorIndex(const std::vector<std::string>& codes, const std::string& current);
// The code behind a position of that list: "en" for 0 and for positions outside it.
std::string LanguageAtSelectorIndex(const std::vector<std::string>& codes, int index);
