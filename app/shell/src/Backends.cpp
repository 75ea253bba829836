#include <spanlet/platform/PlatformLoader.hpp>
#include <spanlet/shell/Backends.hpp>
#include <spanlet/x11/X11Platform.hpp>

namespace spanlet {

std::unique_ptr<Platform> loadPlatform() {
    // Every back end built in, one line each; the loader tries them in the order the session
    // prefers (Wayland first where it names a Wayland display).
    const PlatformLoader::Entry built[] = {
        {PlatformLoader::Backend::x11,
         [] { return std::unique_ptr<Platform>(X11Platform::make()); }},
    };
    return PlatformLoader::load(PlatformLoader::Session::fromEnvironment(), built);
}

} // namespace spanlet
