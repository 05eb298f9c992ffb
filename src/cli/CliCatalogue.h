#pragma once

#include "browse/QueryComposer.h"
#include "catalogue/CatalogueConnection.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the reading commands of quiravel-cli share: opening the catalogue, their help layout and
// their tab-separated output.

// Opens the catalogue as the main window does (upgrading an old one); on failure prints
// "FILE: message" on stderr and returns false.
bool OpenCatalogueForCli(TCatalogueConnection& db, const std::string& path);

// Usage line, description, option rows (name, text), then the notes, one paragraph each.
void PrintCommandHelp(const std::string& usage, const std::string& description,
                      const std::vector<std::pair<std::string, std::string>>& options,
                      const std::vector<std::string>& notes);
// The help paragraph on the tab-separated lines of EscapeField.
std::string EscapingNote();

// A value as one field of a tab-separated line: backslash, tab, line feed and carriage return
// become \\, \t, \n and \r.
std::string EscapeField(std::string_view text);
// Writes the fields as one tab-separated line on stdout.
void PrintFields(const std::vector<std::string>& fields);
// Flushes stdout; on a write failure prints the reason and returns false.
bool FinishOutput();

// Runs a tablature list query and prints each row's title, artist, album, year, words, music,
// filename, filesize and filedate; returns the exit code.
int PrintTablatures(TCatalogueConnection& db, const std::string& sql);

struct TCliArgs;

// Handles a parse error, --help, --version and a missing --db; true (with the exit code) when the
// command has nothing more to do.
bool CommandDone(const std::string& command, const TCliArgs& args, void (*printHelp)(), int& exit);

// For the commands that take --db and no arguments: handles what CommandDone handles and a stray
// argument, then opens the catalogue; false (with the exit code) when the command has nothing
// more to do.
bool OpenForReading(const std::string& command, const TCliArgs& args, void (*printHelp)(),
                    TCatalogueConnection& db, int& exit);
// Prints a failed read as "FILE: message" on stderr, after what stdout holds; returns ExitFailure.
int ReadFailure(const std::string& path, const char* message);

// The tablature list sorted by title, of the artist of --artist NAME and the album of --album NAME
// (each absent: all of them).
BrowseInput ListInput(const TCliArgs& args);
// Adds the main window's search choices from --field (default all), --match (default contains) and
// --filenames (default none); the search text is the caller's. False with error set for an unknown
// value.
bool ReadSearchOptions(const TCliArgs& args, BrowseInput& in, std::string& error);

// The value of --encoding, "" when absent; false with error set for an empty or unknown code page.
bool ReadCodePage(const TCliArgs& args, std::string& codePage, std::string& error);

// The position of the option's value among names; fallback when the option is absent; -1 (and
// error set) for a value not among them.
int ChoiceIndex(const TCliArgs& args, const char* option, const std::vector<const char*>& names, int fallback,
                std::string& error);
