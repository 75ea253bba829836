#pragma once

#include <QDBusConnection>
#include <QObject>
#include <memory>

#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

/// Still frames from GNOME's own screen cast service (org.gnome.Mutter.ScreenCast), which any
/// client of the session bus may use without a dialog: one session recording every display's
/// monitor without the cursor, one PipeWire frame from each stream, then the session stops.
/// Displays are matched to mutter's monitors by their origins (org.gnome.Mutter.DisplayConfig).
class MutterScreenCast final : public FrameSource {
public:
    explicit MutterScreenCast(QDBusConnection bus);
    ~MutterScreenCast() override;
    MutterScreenCast(const MutterScreenCast&) = delete;
    MutterScreenCast& operator=(const MutterScreenCast&) = delete;

    /// Whether mutter's screen cast service is on `bus`.
    static bool offered(const QDBusConnection& bus);

    /// Unavailable when the service is missing or fails. Grabs still running when this object
    /// goes are stopped and never answer.
    void grab(const std::vector<ScreenInfo>& displays,
              std::function<void(FrameResult)> done) override;

private:
    QDBusConnection bus_;
    /// Parent of the grabs in flight.
    std::unique_ptr<QObject> grabs_;
};

} // namespace spanlet::stillframe
