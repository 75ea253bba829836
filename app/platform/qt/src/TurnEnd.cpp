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
    std::vector<Work> last; ///< runs once `work` is empty
    /// Lives with the application; null before the first use and once it is gone.
    QPointer<QObject> owner;
    /// For loops that process events without waiting, which never say they are about to.
    QPointer<QTimer> fallback;
};

Queue& queue() {
    static Queue q;
    return q;
}

void run(std::vector<Work>& list) {
    const std::vector<Work> batch = std::exchange(list, {});
    for (const Work& w : batch) {
        if (!w.context.isNull()) {
            w.run();
        }
    }
}

void drain() {
    Queue& q = queue();
    // Work may ask for more: that runs in this drain too, after it.
    while (!q.work.empty() || !q.last.empty()) {
        while (!q.work.empty()) {
            run(q.work);
        }
        run(q.last);
    }
    // Everything asked for has run, including what was asked for meanwhile: the fallback has
    // nothing left to do, and left running it would make the loop turn once more.
    if (!q.fallback.isNull()) {
        q.fallback->stop();
    }
}

Queue& started() {
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
    if (!q.fallback->isActive()) {
        q.fallback->start();
    }
    return q;
}

} // namespace

void atTurnEnd(QObject* context, std::function<void()> work) {
    started().work.push_back({context, std::move(work)});
}

void afterTurnEndWork(QObject* context, std::function<void()> work) {
    started().last.push_back({context, std::move(work)});
}

} // namespace spanlet
