#include <QDBusConnection>

#include <spanlet/stillframe/MutterScreenCast.hpp>
#include <spanlet/stillframe/PortalScreenCast.hpp>
#include <spanlet/stillframe/PortalScreenshot.hpp>
#include <spanlet/stillframe/StillFramePlatform.hpp>

namespace spanlet::stillframe {

std::unique_ptr<FrameSource> StillFramePlatform::desktopFrameSource() {
    // Best first: each is tried while those before it are unavailable here. GNOME's own screen
    // cast asks nothing; the portal's screen cast asks once; its screenshot may ask every time.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    std::vector<std::unique_ptr<FrameSource>> sources;
    sources.push_back(std::make_unique<MutterScreenCast>(bus));
    sources.push_back(std::make_unique<PortalScreenCast>(bus));
    sources.push_back(std::make_unique<PortalScreenshot>(bus));
    return std::make_unique<FirstFrameSource>(std::move(sources));
}

} // namespace spanlet::stillframe
