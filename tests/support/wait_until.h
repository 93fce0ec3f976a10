// Runs the event loop until `done` holds or the time is up; returns whether it holds.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

template <typename Predicate>
bool WaitUntil(Predicate done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}
