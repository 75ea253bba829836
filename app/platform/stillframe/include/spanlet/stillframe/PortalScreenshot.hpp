#pragma once

#include <QDBusConnection>
#include <QObject>

#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

/// Still frames through the XDG desktop portal's Screenshot interface (a screenshot of the
/// whole desktop, not interactive; the desktop may ask the user first). The portal writes it
/// as a PNG file: it is read into memory and deleted at once, read or not, and cut into one
/// frame per display.
class PortalScreenshot final : public FrameSource {
public:
    /// Asks the portal on `bus` (the session bus).
    explicit PortalScreenshot(QDBusConnection bus);

    void grab(const std::vector<ScreenInfo>& displays,
              std::function<void(FrameResult)> done) override;

private:
    QDBusConnection bus_;
    /// Parent of the requests under way: they end, unanswered, with this source.
    QObject requests_;
};

} // namespace spanlet::stillframe
