#pragma once

#include <functional>

class QObject;

namespace spanlet {

/// Runs `work` once this turn of the event loop is over, before the loop waits again: all such
/// work in the order asked for, unless `context` is gone by then. A posted call does the same
/// but wakes the loop through its wake-up descriptor and costs a turn of its own, on every
/// pointer move where the overlay repaints. Where events are processed without waiting, it runs
/// on that loop's next turn. Main thread only, with a QCoreApplication.
void atTurnEnd(QObject* context, std::function<void()> work);

/// Runs `work` once this turn's atTurnEnd work has all run, including what that work asked
/// for: to close what the turn's work should share (one message to a server for all of it).
void afterTurnEndWork(QObject* context, std::function<void()> work);

} // namespace spanlet
