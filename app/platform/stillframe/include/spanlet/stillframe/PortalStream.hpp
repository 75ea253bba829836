#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QRect>
#include <QVariantMap>
#include <cstdint>
#include <optional>

namespace spanlet::stillframe {

/// One stream of a ScreenCast portal session, as Start answers it: (ua{sv}).
struct PortalStream {
    std::uint32_t node = 0; ///< The PipeWire node.
    /// "position" and "size", each (ii), the monitor's place in the compositor's points; and
    /// more that is not used here.
    QVariantMap properties;

    /// The monitor's place, when the portal told both position and size.
    [[nodiscard]] std::optional<QRect> place() const;
};

using PortalStreams = QList<PortalStream>;

/// Makes PortalStream and PortalStreams known to QtDBus; call before either crosses the bus.
void registerPortalStreamTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const PortalStream& stream);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalStream& stream);

} // namespace spanlet::stillframe

Q_DECLARE_METATYPE(spanlet::stillframe::PortalStream)
