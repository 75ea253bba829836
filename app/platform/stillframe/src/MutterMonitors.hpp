#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <optional>
#include <vector>

namespace spanlet::stillframe::MutterMonitors {

/// One of mutter's logical monitors: its origin in mutter's layout (points where the desktop
/// lays monitors out in points, device pixels where it lays them out in pixels: as Qt's
/// screens report them either way), its scale and the connector of its first monitor.
struct Logical {
    int x = 0;
    int y = 0;
    double scale = 1;
    QString connector;
};

/// The call that asks mutter's display configuration for its current state.
QDBusMessage currentStateCall();
/// The logical monitors in that call's answer; none in any other message.
std::vector<Logical> parse(const QDBusMessage& state);
/// The logical monitors now, asked and waited for; none where mutter does not answer soon
/// (another desktop).
std::vector<Logical> current(const QDBusConnection& bus);
/// The scale of the logical monitor at origin (x, y), if one is there.
std::optional<double> scaleAt(const std::vector<Logical>& monitors, int x, int y);

} // namespace spanlet::stillframe::MutterMonitors
