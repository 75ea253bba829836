#include "MutterMonitors.hpp"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QVariantMap>

namespace spanlet::stillframe::MutterMonitors {

namespace {

constexpr QLatin1String kDisplayConfig("org.gnome.Mutter.DisplayConfig");
constexpr QLatin1String kDisplayConfigPath("/org/gnome/Mutter/DisplayConfig");
// Asked once per change of the screens, while the application waits.
constexpr int answerWaitMs = 500;

} // namespace

QDBusMessage currentStateCall() {
    return QDBusMessage::createMethodCall(kDisplayConfig, kDisplayConfigPath, kDisplayConfig,
                                          QStringLiteral("GetCurrentState"));
}

// GetCurrentState answers (u, a((ssss)a(siiddada{sv})a{sv}), a(iiduba(ssss)a{sv}), a{sv}).
std::vector<Logical> parse(const QDBusMessage& state) {
    std::vector<Logical> result;
    if (state.type() != QDBusMessage::ReplyMessage || state.arguments().size() < 3) {
        return result;
    }
    const auto argument = state.arguments().at(2).value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        Logical monitor;
        uint transform = 0;
        bool primary = false;
        argument.beginStructure();
        argument >> monitor.x >> monitor.y >> monitor.scale >> transform >> primary;
        argument.beginArray();
        while (!argument.atEnd()) {
            QString connector, vendor, product, serial;
            argument.beginStructure();
            argument >> connector >> vendor >> product >> serial;
            argument.endStructure();
            if (monitor.connector.isEmpty()) {
                monitor.connector = connector;
            }
        }
        argument.endArray();
        QVariantMap properties;
        argument >> properties;
        argument.endStructure();
        if (!monitor.connector.isEmpty()) {
            result.push_back(monitor);
        }
    }
    argument.endArray();
    return result;
}

std::vector<Logical> current(const QDBusConnection& bus) {
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kDisplayConfig)) {
        return {};
    }
    return parse(bus.call(currentStateCall(), QDBus::Block, answerWaitMs));
}

std::optional<double> scaleAt(const std::vector<Logical>& monitors, int x, int y) {
    for (const Logical& monitor : monitors) {
        if (monitor.x == x && monitor.y == y && monitor.scale > 0) {
            return monitor.scale;
        }
    }
    return std::nullopt;
}

} // namespace spanlet::stillframe::MutterMonitors
