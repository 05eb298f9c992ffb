#pragma once

#include <string>
#include <vector>

// quiravel-cli's commands. Each takes the arguments after its name and returns the exit code.
struct TCliCommand {
    const char* Name;
    std::string (*Summary)(); // one translated line for the command list
    int (*Run)(const std::vector<std::string>& args);
};

// The command table; a new command is one row in CliCommands.cpp.
const std::vector<TCliCommand>& CliCommands();

// The whole program: "quiravel-cli COMMAND [ARGS...]", "--help", "--version".
int RunCli(int argc, char** argv);

void PrintVersion();

// Declared here, defined in the command's own file.
std::string ScanSummary();
int RunScanCommand(const std::vector<std::string>& args);
std::string SearchSummary();
int RunSearchCommand(const std::vector<std::string>& args);
std::string BrowseSummary();
int RunBrowseCommand(const std::vector<std::string>& args);
std::string InfoSummary();
int RunInfoCommand(const std::vector<std::string>& args);
std::string ErrorsSummary();
int RunErrorsCommand(const std::vector<std::string>& args);
std::string ExportSummary();
int RunExportCommand(const std::vector<std::string>& args);
std::string ArchiveSummary();
int RunArchiveCommand(const std::vector<std::string>& args);
