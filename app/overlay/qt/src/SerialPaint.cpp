#include "SerialPaint.hpp"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

namespace spanlet::draw {

void runSerialPaint(const std::function<void()>& work) {
    QThreadPool* pool = QThreadPool::globalInstance();
    if (pool == nullptr || pool->contains(QThread::currentThread())) {
        work();
        return;
    }
    QSemaphore done;
    pool->start([&work, &done] {
        work();
        done.release();
    });
    done.acquire();
}

} // namespace spanlet::draw
