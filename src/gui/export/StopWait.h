#pragma once
/// Waiting for a worker that was asked to stop, with the window kept alive:
/// the event loop runs (paint, timers, queued signals) under a wait cursor
/// until the worker's end has been handled.

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace orvelle::gui {

/// How often the stop request is repeated while the worker winds down.
constexpr int kStopRepeatMs = 50;

/// Runs the event loop until `sender` emits `ended`, calling `requestStop`
/// every kStopRepeatMs meanwhile: a worker that has only just started clears
/// stop requests as it begins, so a single request could be lost.
template <typename Sender, typename Signal, typename RequestStop>
void waitForStoppedWorker(const Sender* sender, Signal ended, RequestStop requestStop) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop loop;
    QObject::connect(sender, ended, &loop, &QEventLoop::quit);
    QTimer repeat;
    QObject::connect(&repeat, &QTimer::timeout, &loop, requestStop);
    repeat.start(kStopRepeatMs);
    loop.exec();
    QApplication::restoreOverrideCursor();
}

} // namespace orvelle::gui
