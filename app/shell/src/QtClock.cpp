#include <QCoreApplication>
#include <QTimer>
#include <limits>

#include <spanlet/shell/QtClock.hpp>

namespace spanlet {

QtClock::QtClock(QObject* context) : context_(context ? context : QCoreApplication::instance()) {}

TimerHandle QtClock::schedule(Duration delay, std::function<void()> work) {
    TimerHandle handle = TimerHandle::make();
    using std::chrono::milliseconds;
    // Round up so work never runs before its time; clamp what QTimer cannot take.
    const auto ms = std::chrono::ceil<milliseconds>(std::max(delay, Duration::zero())).count();
    const int msec = static_cast<int>(std::min<std::int64_t>(ms, std::numeric_limits<int>::max()));
    const Qt::TimerType type = delay < preciseBelow ? Qt::PreciseTimer : Qt::CoarseTimer;
    QTimer::singleShot(msec, type, context_,
                       [handle, work = std::move(work), wakeUps = wakeUps_, fired = fired_] {
                           ++*wakeUps;
                           if (handle.isCancelled()) {
                               return;
                           }
                           handle.cancel(); // ran: a later cancel is harmless
                           ++*fired;
                           work();
                       });
    return handle;
}

} // namespace spanlet
