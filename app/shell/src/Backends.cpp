#include <string>

#include <spanlet/kwin/PlasmaPlatform.hpp>
#include <spanlet/overlay/qt/HostedOverlay.hpp>
#include <spanlet/overlay/qt/OverlayColorSampler.hpp>
#include <spanlet/platform/PlatformLoader.hpp>
#include <spanlet/ruler/qt/HostedRuler.hpp>
#include <spanlet/ruler/qt/QtRulerController.hpp>
#include <spanlet/shell/Backends.hpp>
#include <spanlet/stillframe/StillFramePlatform.hpp>
#include <spanlet/wayland/WaylandPlatform.hpp>
#include <spanlet/x11/X11Platform.hpp>

namespace spanlet {

namespace {

wayland::WaylandPlatform::Offer offer(PlatformLoader::Backend backend) {
    switch (backend) {
    case PlatformLoader::Backend::wayland:
        return wayland::WaylandPlatform::offer();
    case PlatformLoader::Backend::plasma:
        return kwin::PlasmaPlatform::offer();
    default:
        return stillframe::StillFramePlatform::offer();
    }
}

} // namespace

SessionPlatform qtPlatformForSession() {
    const PlatformLoader::Session session = PlatformLoader::Session::fromEnvironment();
    for (const PlatformLoader::Backend backend : PlatformLoader::candidates(session)) {
        switch (backend) {
        case PlatformLoader::Backend::wayland:
        case PlatformLoader::Backend::plasma:
        case PlatformLoader::Backend::stillFrame:
            switch (offer(backend)) {
            case wayland::WaylandPlatform::Offer::everything:
                return {"wayland", {}};
            case wayland::WaylandPlatform::Offer::notEnough:
                break;
            case wayland::WaylandPlatform::Offer::noAnswer:
                // Not X11 instead: its display is likely the same frozen compositor's
                // Xwayland, and an X11 overlay could not see Wayland windows anyway.
                return {nullptr,
                        "spanlet: the Wayland display " + *session.waylandDisplay +
                            " did not answer within " +
                            std::to_string(wayland::WaylandConnection::answerWait.count()) + " s"};
            }
            break;
        case PlatformLoader::Backend::x11:
            return {"xcb", {}};
        }
    }
    return {};
}

std::unique_ptr<Platform> loadPlatform() {
    // Every back end built in, one line each; the loader tries them in the order the session
    // prefers (Wayland first where it names a Wayland display). Each starts only on the Qt
    // platform it works with, so the one qtPlatformForSession() picked is the one that starts.
    const PlatformLoader::Entry built[] = {
        {PlatformLoader::Backend::wayland,
         [] { return std::unique_ptr<Platform>(wayland::WaylandPlatform::make()); }},
        {PlatformLoader::Backend::plasma,
         [] { return std::unique_ptr<Platform>(kwin::PlasmaPlatform::make()); }},
        {PlatformLoader::Backend::stillFrame,
         [] { return std::unique_ptr<Platform>(stillframe::StillFramePlatform::make()); }},
        {PlatformLoader::Backend::x11,
         [] { return std::unique_ptr<Platform>(X11Platform::make()); }},
    };
    return PlatformLoader::load(PlatformLoader::Session::fromEnvironment(), built);
}

Overlays makeOverlays(Platform& platform) {
    auto controller = std::make_unique<HostedOverlay>(platform.overlay(), platform.displays());
    HostedOverlay& bound = *controller;
    const bool takesPointer = platform.overlay().takesPointerWhileSnapping();
    std::unique_ptr<ColorSampler> sampler;
    if (takesPointer) {
        sampler = std::make_unique<OverlayColorSampler>(bound);
    }
    return {std::move(controller), [&bound](Mensor& model) { bound.attach(model); }, takesPointer,
            std::move(sampler)};
}

std::unique_ptr<RulerController> makeRuler(Platform& platform) {
    if (std::unique_ptr<PanelHost> panel = platform.makePanel()) {
        return std::make_unique<HostedRuler>(std::move(panel));
    }
    return std::make_unique<QtRulerController>(platform.displays(), platform.surfaces());
}

} // namespace spanlet
