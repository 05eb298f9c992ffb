#pragma once

#include <string>
#include <vector>

// The figures of one step of the browse script, as the main window ran it.
struct TStepFigures {
    std::string Name;
    double Seconds = 0;                    // from the step's last input until the lists show their final rows
    double LongestBusyMs = 0;              // the main thread's longest stretch without waiting for events
    double PeakMiB = 0;                    // the process's peak resident memory at the step's end
    int Artists = 0, Albums = 0, Tabs = 0; // rows the lists show at the end
    // The texts behind the lists the step refilled, composed from the window's state at the end.
    std::vector<std::string> Sql;
    std::string Note;
};

// Opens catalogue in the real main window (offscreen, settings in a folder of its own) and replays
// the script: open, choose an artist, choose an album, type a search, clear it, run an SQL query.
// Needs the application object.
std::vector<TStepFigures> RunBrowseScript(const std::string& catalogue, const std::string& sqlQuery);
