#include <QDBusMetaType>
#include <QPoint>
#include <QSize>

#include <spanlet/stillframe/PortalStream.hpp>

namespace spanlet::stillframe {

std::optional<QRect> PortalStream::place() const {
    const QVariant position = properties.value(QStringLiteral("position"));
    const QVariant size = properties.value(QStringLiteral("size"));
    if (!position.isValid() || !size.isValid()) {
        return std::nullopt;
    }
    return QRect(qdbus_cast<QPoint>(position), qdbus_cast<QSize>(size));
}

void registerPortalStreamTypes() {
    qDBusRegisterMetaType<PortalStream>();
    qDBusRegisterMetaType<PortalStreams>();
}

QDBusArgument& operator<<(QDBusArgument& argument, const PortalStream& stream) {
    argument.beginStructure();
    argument << stream.node << stream.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalStream& stream) {
    argument.beginStructure();
    argument >> stream.node >> stream.properties;
    argument.endStructure();
    return argument;
}

} // namespace spanlet::stillframe
