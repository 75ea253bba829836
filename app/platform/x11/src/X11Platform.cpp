#include <spanlet/x11/X11Platform.hpp>

#include "QtXcb.hpp"

namespace spanlet {

std::unique_ptr<X11Platform> X11Platform::make() {
    if (x11::qtConnection() == nullptr) {
        return nullptr;
    }
    auto platform = std::make_unique<X11Platform>();
    if (!platform->side_.alive()) {
        return nullptr;
    }
    return platform;
}

X11Platform::X11Platform()
    : displays_(side_), capture_(displays_), surfaces_(capture_.ownWindows(), side_),
      overlay_(displays_, surfaces_) {
    // A pointer read is followed by captures at the pointer: read where they are, its answer
    // brings the server's news they are checked against.
    displays_.setPointerQuery([this] { return capture_.queryPointer(); });
    // The captures a move asks for are read as soon as it has been handed over.
    displays_.setPointerDispatch(
        [this](const std::function<void()>& handOver) { capture_.readAfter(handOver); });
}

X11Platform::~X11Platform() {
    // The grabs go first, whatever else is still running.
    hotkeys_.unregisterAll();
}

} // namespace spanlet
