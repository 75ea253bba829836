#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include <spanlet/stillframe/FrameSource.hpp>
#include <spanlet/stillframe/PipeWireFrame.hpp>

namespace spanlet::stillframe {

/// One capture of every display: DisplayConfig's state, a screen cast session with one stream
/// per display, a frame from each, and the session's end. Frees itself once it has answered;
/// going earlier, it stops the session and never answers.
class MutterScreenCastGrab final : public QObject {
    Q_OBJECT

public:
    MutterScreenCastGrab(QDBusConnection bus, std::vector<ScreenInfo> displays,
                         std::function<void(FrameResult)> done, QObject* parent);
    ~MutterScreenCastGrab() override;
    MutterScreenCastGrab(const MutterScreenCastGrab&) = delete;
    MutterScreenCastGrab& operator=(const MutterScreenCastGrab&) = delete;

    void start();

private:
    /// Calls `message` on the bus; `next` gets the answer, and an error ends the grab.
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> next);
    void createSession(const QDBusMessage& state);
    /// A stream of the `index`th display's monitor, then the next; the session starts once
    /// every stream is there.
    void record(std::size_t index);
    void framed(std::size_t index, PipeWireResult result);
    /// Ends the session, hands the outcome on once, and goes.
    void finish(FrameResult result);
    void stop();

    QDBusConnection bus_;
    std::vector<ScreenInfo> displays_;
    std::function<void(FrameResult)> done_;
    std::vector<QString> connectors_; ///< per display
    QString session_;
    std::vector<QString> streams_; ///< per display, as recorded
    std::vector<DisplayFrame> frames_;
    std::size_t framed_ = 0;

private Q_SLOTS: // NOLINT(readability-redundant-access-specifiers): the D-Bus signal
    /// A stream's PipeWire node is there: its frame is taken.
    void streamAdded(const QDBusMessage& message);
};

} // namespace spanlet::stillframe
