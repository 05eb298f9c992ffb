#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// Shared command-line handling of quiravel-cli's commands.

enum TCliExit { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

struct TCliOption {
    const char* Name; // "--db"
    bool TakesValue;
};

struct TCliArgs {
    std::map<std::string, std::string>
        Values;                     // options with a value, by name; a repeated option keeps the last
    std::vector<std::string> Flags; // options without a value, in order
    std::vector<std::string> Positionals;
    std::string Error; // empty, or what was wrong, translated

    bool Has(const std::string& name) const;
};

// "--name value", "--name=value" and "--" (the rest are positionals); "-h" is "--help".
TCliArgs ParseCliArgs(const std::vector<std::string>& args, std::initializer_list<TCliOption> options);

// Replaces each "%s" or "%d" of a (translated) format with the next value, in order; "%%" is "%".
// Safe whatever a translation holds: a missing value leaves the rest of the text as it is.
std::string FillText(const std::string& format, std::initializer_list<std::string> values);

// Prints "quiravel-cli COMMAND: message" and a pointer to the help on stderr; returns ExitUsage.
int UsageError(const std::string& command, const std::string& message);
