#pragma once

#include <QObject>

#include <array>
#include <string>

class QPoint;
class QScrollBar;
class QTableView;
class TListModel;
class TMainForm;
struct TBrowseState;

// The program's reactions to presses, clicks, double clicks, keys and wheel turns on the artists
// and albums lists, and to the separate scroll bar beside each list. They run before the list's
// own handling, which is skipped for a consumed key or a wheel turn marked handled. The scroll bar
// stands for the list's current row: moving it moves the row, and a new row moves it.
// Main thread only; a child of the window.
class TSideListNavigation : public QObject {
    Q_OBJECT
public:
    explicit TSideListNavigation(TMainForm& form);

    // The headings' colours by the lists' "All" choices and their focus.
    void ColorHeadings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TSide {
        QTableView* Grid;
        TListModel* Model;
        QScrollBar* Bar;
        bool TBrowseState::*All;
        std::string TBrowseState::*First;
    };

    bool& All(const TSide& side) const;
    bool IsArtists(const TSide& side) const { return &side == &Sides[0]; }
    bool AtFirstRow(const TSide& side) const;

    void ChooseHeading(const TSide& side);
    void LeaveHeading(const TSide& side);
    void LeaveHeadingToFirstRow(const TSide& side);
    void RequeryFollowing(const TSide& side);

    bool ListEvent(const TSide& side, QEvent* event);
    bool ViewportEvent(const TSide& side, bool heading, QObject* watched, QEvent* event);
    void Pressed(const TSide& side, bool heading);
    void Clicked();
    void DoubleClicked(const TSide& side, bool heading, const QPoint& at);
    bool KeyPressed(const TSide& side, int key);
    bool WheelTurned(const TSide& side, int delta);

    void ConnectBar(const TSide& side);
    void BarAction(const TSide& side, int action);
    void BarMoved(const TSide& side, int value);
    void SyncBar(const TSide& side);

    TMainForm& Form;
    TBrowseState& Browse;
    std::array<TSide, 2> Sides;
    // Where the last press went, for telling a click.
    QObject* PressedOn = nullptr;
};
