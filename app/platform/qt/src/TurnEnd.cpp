#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

#include <spanlet/platform/qt/TurnEnd.hpp>

namespace spanlet {

namespace {

struct Work {
    QPointer<QObject> context;
    std::function<void()> run;
};

struct Queue {
    std::vector<Work> work;
    /// Lives with the application; null before the first use and once it is gone.
    QPointer<QObject> owner;
    /// For loops that process events without waiting, which never say they are about to.
    QPointer<QTimer> fallback;
};

Queue& queue() {
    static Queue q;
    return q;
}

void drain() {
    Queue& q = queue();
    // Work may ask for more: that runs in this drain too, after it.
    while (!q.work.empty()) {
        std::vector<Work> batch = std::exchange(q.work, {});
        for (Work& w : batch) {
            if (!w.context.isNull()) {
                w.run();
            }
        }
    }
    // Everything asked for has run, including what was asked for meanwhile: the fallback has
    // nothing left to do, and left running it would make the loop turn once more.
    if (!q.fallback.isNull()) {
        q.fallback->stop();
    }
}

} // namespace

void atTurnEnd(QObject* context, std::function<void()> work) {
    Queue& q = queue();
    if (q.owner.isNull()) {
        auto* owner = new QObject(QCoreApplication::instance());
        q.owner = owner;
        q.fallback = new QTimer(owner);
        q.fallback->setSingleShot(true);
        q.fallback->setInterval(0);
        QObject::connect(q.fallback, &QTimer::timeout, owner, [] { drain(); });
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, owner, [] { drain(); });
    }
    q.work.push_back({context, std::move(work)});
    if (!q.fallback->isActive()) {
        q.fallback->start();
    }
}

} // namespace spanlet
