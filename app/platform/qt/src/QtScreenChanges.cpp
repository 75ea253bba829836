#include <QGuiApplication>
#include <QObject>
#include <QScreen>

#include <spanlet/platform/qt/QtScreenChanges.hpp>

namespace spanlet {

QtScreenChanges::QtScreenChanges(std::function<void()> each, std::function<void()> settled)
    : context_(std::make_unique<QObject>()), each_(std::move(each)), settled_(std::move(settled)) {
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, context_.get(), [this](QScreen* s) {
        watch(s);
        reported();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, context_.get(),
                     [this](QScreen*) { reported(); });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, context_.get(),
                     [this](QScreen*) { reported(); });
    for (QScreen* s : QGuiApplication::screens()) {
        watch(s);
    }
}

QtScreenChanges::~QtScreenChanges() = default;

void QtScreenChanges::watch(QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, context_.get(),
                     [this](const QRect&) { reported(); });
    QObject::connect(screen, &QScreen::physicalDotsPerInchChanged, context_.get(),
                     [this](qreal) { reported(); });
}

void QtScreenChanges::reported() {
    if (each_) {
        each_();
    }
    if (pending_) {
        return;
    }
    pending_ = true;
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
            pending_ = false;
            if (settled_) {
                settled_();
            }
        },
        Qt::QueuedConnection);
}

} // namespace spanlet
