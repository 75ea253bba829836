#include <QGuiApplication>

#include <spanlet/stillframe/StillFramePlatform.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::stillframe {

wayland::WaylandPlatform::Offer StillFramePlatform::offer() {
    using Offer = wayland::WaylandPlatform::Offer;
    wayland::WaylandConnection::Failure failure{};
    if (wayland::WaylandConnection::connect(nullptr, &failure)) {
        return Offer::everything;
    }
    return failure == wayland::WaylandConnection::Failure::silent ? Offer::noAnswer
                                                                  : Offer::notEnough;
}

std::unique_ptr<StillFramePlatform> StillFramePlatform::make() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        return nullptr;
    }
    return std::make_unique<StillFramePlatform>(desktopFrameSource());
}

StillFramePlatform::StillFramePlatform(std::unique_ptr<FrameSource> source,
                                       std::function<bool()> canCapture,
                                       StillFrameHost::ShowRefusal showRefusal)
    : capture_(displays_, frames_), permission_(std::move(canCapture)),
      overlay_(displays_, frames_, std::move(source), std::move(showRefusal)) {}

} // namespace spanlet::stillframe
