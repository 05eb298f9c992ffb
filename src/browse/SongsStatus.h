#pragma once

#include <QChar>
#include <QString>

#include <cstddef>
#include <optional>

class TResultSet;

// The status bar's texts about the tablature list, and when each is shown. Pure functions of the
// list's state, so the main window only gathers that state.

// bytes / 1024 rounded to one decimal place (halves to even), without a trailing ".0".
QString FormatKiloBytes(long long bytes, QChar decimalPoint);

// "<file name> - <size> KB" of the row: the eighth and ninth columns of the result (after the
// catalogue's id), the ninth read as an integer. Empty while the list's worker is busy, without a
// row, with fewer than nine columns, or when the ninth is not an integer (SQL results may be so).
QString CurrentTabText(const TResultSet* rows, int row, bool workerBusy, QChar decimalPoint);
// "%d tablatures" for the count, in the language's plural form.
QString CountText(size_t rows);
// CountText, or empty while the list's worker is busy.
QString TabCountText(size_t rows, bool workerBusy);
// "%d tablatures selected" for the number of marked rows.
QString SelectionText(size_t marked);

enum class TSongsEvent {
    HintChanged,  // the application's hint changed
    DataChanged,  // the list has new rows or another current row
    MarksChanged, // the marked rows changed
    FocusIn,
    FocusOut,
};

struct TSongsState {
    bool CatalogueOpen = false;
    bool ListOpen = false; // the list holds a result
    bool HasFocus = false;
    bool WorkerBusy = false;
    size_t Marked = 0; // marked rows; fewer than two count as only a current row
    const TResultSet* Rows = nullptr;
    int CurrentRow = -1;
    QChar DecimalPoint = u'.';
};

// The status text for the event; none when the event leaves the status bar as it is. hint is the
// application's new hint ("tooltip|status text") for HintChanged.
std::optional<QString> SongsStatusText(TSongsEvent event, const TSongsState& state, const QString& hint = {});

// Whether the commands on the tablature list are enabled; none while a catalogue is open but the
// list holds no result, when they keep their state.
std::optional<bool> SongsCommandsEnabled(bool catalogueOpen, bool listOpen, size_t rowCount);
