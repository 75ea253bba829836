#include "MutterScreenCastGrab.hpp"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QTimer>
#include <QVariantMap>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "MutterMonitors.hpp"

namespace spanlet::stillframe {

namespace {

constexpr QLatin1String kService("org.gnome.Mutter.ScreenCast");
constexpr QLatin1String kPath("/org/gnome/Mutter/ScreenCast");
constexpr QLatin1String kSessionInterface("org.gnome.Mutter.ScreenCast.Session");
constexpr QLatin1String kStreamInterface("org.gnome.Mutter.ScreenCast.Stream");

// Streams that mutter never starts, say without a session manager for PipeWire, end here.
constexpr int timeoutMs = 10000;

/// The connector of the monitor whose origin is nearest `display`'s.
QString connectorOf(const ScreenInfo& display,
                    const std::vector<MutterMonitors::Logical>& monitors) {
    QString best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const MutterMonitors::Logical& monitor : monitors) {
        const double distance =
            std::hypot(monitor.x - display.frame.minX(), monitor.y - display.frame.minY());
        if (distance < bestDistance) {
            bestDistance = distance;
            best = monitor.connector;
        }
    }
    return best;
}

FrameRefusal unavailable(const QString& message) {
    return {FrameRefusal::Kind::unavailable, message.toStdString()};
}

} // namespace

MutterScreenCastGrab::MutterScreenCastGrab(QDBusConnection bus, std::vector<ScreenInfo> displays,
                                           std::function<void(FrameResult)> done, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), displays_(std::move(displays)),
      done_(std::move(done)) {
    frames_.resize(displays_.size());
    QTimer::singleShot(timeoutMs, this, [this] {
        finish(unavailable(QStringLiteral("GNOME’s screen cast sent no picture in time.")));
    });
}

MutterScreenCastGrab::~MutterScreenCastGrab() {
    stop();
}

void MutterScreenCastGrab::start() {
    call(MutterMonitors::currentStateCall(),
         [this](const QDBusMessage& state) { createSession(state); });
}

void MutterScreenCastGrab::call(const QDBusMessage& message,
                                std::function<void(const QDBusMessage&)> next) {
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, next = std::move(next)](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                if (reply.type() == QDBusMessage::ErrorMessage) {
                    finish(unavailable(QStringLiteral("GNOME’s screen cast failed: ") +
                                       reply.errorMessage()));
                    return;
                }
                next(reply);
            });
}

void MutterScreenCastGrab::createSession(const QDBusMessage& state) {
    const std::vector<MutterMonitors::Logical> monitors = MutterMonitors::parse(state);
    for (const ScreenInfo& display : displays_) {
        const QString connector = connectorOf(display, monitors);
        if (connector.isEmpty()) {
            finish(unavailable(QStringLiteral("GNOME reports no monitors to record.")));
            return;
        }
        connectors_.push_back(connector);
    }
    call(QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("CreateSession"))
             << QVariantMap(),
         [this](const QDBusMessage& reply) {
             session_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
             record(0);
         });
}

void MutterScreenCastGrab::record(std::size_t index) {
    if (index == connectors_.size()) {
        call(QDBusMessage::createMethodCall(kService, session_, kSessionInterface,
                                            QStringLiteral("Start")),
             [](const QDBusMessage&) {});
        return;
    }
    // The picture without the pointer (cursor-mode 0, hidden).
    const QVariantMap properties{{QStringLiteral("cursor-mode"), QVariant::fromValue(0U)}};
    call(QDBusMessage::createMethodCall(kService, session_, kSessionInterface,
                                        QStringLiteral("RecordMonitor"))
             << connectors_[index] << properties,
         [this, index](const QDBusMessage& reply) {
             const QString stream = reply.arguments().value(0).value<QDBusObjectPath>().path();
             streams_.push_back(stream);
             bus_.connect(kService, stream, kStreamInterface, QStringLiteral("PipeWireStreamAdded"),
                          this, SLOT(streamAdded(QDBusMessage)));
             record(index + 1);
         });
}

void MutterScreenCastGrab::streamAdded(const QDBusMessage& message) {
    const auto stream = std::find(streams_.begin(), streams_.end(), message.path());
    if (stream == streams_.end() || message.arguments().isEmpty()) {
        return;
    }
    const auto index = static_cast<std::size_t>(stream - streams_.begin());
    PipeWireFrame::take(
        -1, message.arguments().at(0).toUInt(),
        [self = QPointer<MutterScreenCastGrab>(this), index](PipeWireResult result) {
            if (!self.isNull()) {
                self->framed(index, std::move(result));
            }
        });
}

void MutterScreenCastGrab::framed(std::size_t index, PipeWireResult result) {
    if (auto* error = std::get_if<std::string>(&result)) {
        finish(unavailable(QString::fromStdString(*error)));
        return;
    }
    frames_[index] = DisplayFrame{displays_[index].id, std::get<QImage>(std::move(result))};
    if (++framed_ == frames_.size()) {
        finish(std::move(frames_));
    }
}

void MutterScreenCastGrab::finish(FrameResult result) {
    if (!done_) {
        return;
    }
    stop();
    auto done = std::move(done_);
    done_ = nullptr;
    deleteLater();
    done(std::move(result));
}

void MutterScreenCastGrab::stop() {
    for (const QString& stream : streams_) {
        bus_.disconnect(kService, stream, kStreamInterface, QStringLiteral("PipeWireStreamAdded"),
                        this, SLOT(streamAdded(QDBusMessage)));
    }
    streams_.clear();
    if (!session_.isEmpty()) {
        bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_, kSessionInterface,
                                                      QStringLiteral("Stop")));
        session_.clear();
    }
}

} // namespace spanlet::stillframe
