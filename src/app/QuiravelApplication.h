#pragma once

#include <QApplication>

// The desktop program's application object: a failure that escapes an event handler or a slot
// ends in ApplicationEventsException, and the program goes on.
class TQuiravelApplication : public QApplication {
    Q_OBJECT
public:
    TQuiravelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
