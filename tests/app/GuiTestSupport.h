#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs action on the first modal window of type T to come up, once the event loop serves it: the
// way a test answers a window shown with exec(). Polls, so it waits however long the window takes.
template <class T> void WhenModal(std::function<void(T&)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action = std::move(action)] {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(*window);
    });
    poll->start(5);
}

// Serves events until condition holds; false after msec.
inline bool WaitUntil(const std::function<bool()>& condition, int msec = 10000) {
    return QTest::qWaitFor(condition, msec);
}

template <class T> T* Child(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}
