#include "app/MainForm.h"

#include "app/ListModel.h"
#include "browse/SongsGrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusTipEvent>
#include <QTableView>

// The window's own behaviour: the Tab cycle, check marks that follow the bars and panels, the
// status text of hints. Two panels docked together keep their shares of the dock when the window
// is resized by the dock layout itself.

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && QApplication::activeWindow() == this &&
            !QApplication::activePopupWidget())
            return HandleTabKey();
        break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == SongsGrid)
            UpdateSongsStatus(event->type() == QEvent::FocusIn ? TSongsEvent::FocusIn
                                                               : TSongsEvent::FocusOut);
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        // The view command's check mark follows its bar or panel, however it was shown or hidden.
        if (auto* action = qobject_cast<QAction*>(watched->property("viewAction").value<QObject*>()))
            action->setChecked(event->type() == QEvent::ShowToParent);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// Tab and Shift+Tab move round the search box, the search field and the three lists in one
// order; a target that is hidden passes the focus on to the next.
bool TMainForm::HandleTabKey() {
    QWidget* const cycle[] = {SearchEditBox, SearchComboBox, ArtistsGrid, AlbumsGrid, SongsGrid};
    constexpr int count = static_cast<int>(std::size(cycle));
    int next = 2; // anywhere else: the artists list
    const QWidget* focus = QApplication::focusWidget();
    for (int i = 0; i < count; ++i)
        if (focus && (focus == cycle[i] || cycle[i]->isAncestorOf(focus)) && cycle[i] != SearchComboBox)
            next = (i + 1) % count;
    for (int tried = 0; tried < count; ++tried, next = (next + 1) % count) {
        QWidget* target = cycle[next];
        if (target->isVisible() && target->isEnabled()) {
            target->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    return true;
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::ShowHint(const QString& statusTip) {
    UpdateSongsStatus(TSongsEvent::HintChanged, statusTip);
}
