#include "fakes/FakePorts.hpp"

#include <utility>

namespace spanlet::fakes {

bool FakePermission::request() {
    ++requests;
    if (!granted && grantOnRequest) {
        granted = true;
    }
    return granted;
}

void FakeClipboard::setText(const std::string& value) {
    text = value;
    ++writes;
}

void FakeAnnouncer::announce(const std::string& text) {
    spoken.push_back(text);
    note(log, "announce");
}

void FakeHotkeys::registerCommands(std::span<const MensorCommand> commands) {
    ++registerCalls;
    registered.assign(commands.begin(), commands.end());
}

void FakeHotkeys::unregisterAll() {
    ++unregisterCalls;
    registered.clear();
}

void FakeHotkeys::press(MensorCommand command) {
    if (handler_) {
        handler_(command);
    }
}

void FakeOverlayController::rebuild() {
    ++rebuilds;
    note(log, "overlay.rebuild");
}

void FakeOverlayController::refresh() {
    ++refreshes;
    note(log, "overlay.refresh");
}

void FakeRulerController::refresh() {
    ++refreshes;
    note(log, "ruler.refresh");
}

void FakeColorSampler::show(Handler handler) {
    ++shows;
    // A sampler opened over an open one replaces it: the old one answers with nothing.
    pick(std::nullopt);
    handler_ = std::move(handler);
}

void FakeColorSampler::cancel() {
    ++cancels;
    pick(std::nullopt);
}

void FakeColorSampler::pick(std::optional<SRGBColor> color) {
    if (auto handler = std::exchange(handler_, {})) {
        handler(color);
    }
}

} // namespace spanlet::fakes
