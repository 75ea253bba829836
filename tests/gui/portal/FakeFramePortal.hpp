#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <vector>

namespace spanlet::testing {

/// A stand-in for the desktop's Screenshot and ScreenCast portals, on a connection of its own
/// to the test's session bus (so its answers travel the bus like a real portal's). It answers
/// every request at once, with the codes and contents a test sets.
class FakeFramePortal final : public QDBusVirtualObject {
public:
    /// One stream Start answers: a PipeWire node and the monitor's place in points.
    struct Stream {
        std::uint32_t node = 0;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    /// Takes the portal's name on a new connection; `folder` holds the screenshots it writes.
    explicit FakeFramePortal(QString folder);
    ~FakeFramePortal() override;
    FakeFramePortal(const FakeFramePortal&) = delete;
    FakeFramePortal& operator=(const FakeFramePortal&) = delete;

    [[nodiscard]] bool ok() const { return ok_; }

    // Screenshot: the code it answers and the picture it writes to a PNG file.
    std::uint32_t screenshotCode = 0;
    QImage picture;
    QString lastScreenshotFile;

    // ScreenCast: the code Start answers, its streams and restore token; what SelectSources
    // was given last; how many sessions are open; where PipeWire is.
    std::uint32_t startCode = 0;
    std::vector<Stream> streams;
    QString restoreToken;
    QVariantMap selected;
    int openSessions = 0;
    /// The socket OpenPipeWireRemote connects to; /dev/null is handed out without one.
    QString remoteSocket;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void respond(const QDBusMessage& call, const QVariantMap& options, std::uint32_t code,
                 const QVariantMap& results);

    QString folder_;
    QDBusConnection bus_;
    bool ok_ = false;
    int shots_ = 0;
};

} // namespace spanlet::testing
