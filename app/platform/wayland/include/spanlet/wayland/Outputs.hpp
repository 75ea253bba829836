#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <spanlet/screen/ScreenInfo.hpp>
#include <spanlet/wayland/OutputLayout.hpp>

struct wl_output;
struct zxdg_output_manager_v1;

namespace spanlet::wayland {

/// The compositor's outputs, each from its wl_output and xdg-output events, and the display
/// list made from them. An output counts once it has described itself completely.
class Outputs {
public:
    Outputs();
    ~Outputs();
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    /// The displays, primary first (see OutputLayout::place).
    [[nodiscard]] const std::vector<ScreenInfo>& screens() const noexcept { return screens_; }
    /// The wl_output of display `id`, or null.
    [[nodiscard]] wl_output* output(std::uint32_t id) const;
    /// The display of `output`, if it is one.
    [[nodiscard]] std::optional<ScreenInfo> screen(const wl_output* output) const;
    /// `handler` runs once per dispatch in which the display list changed.
    void setChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

    // Fed by the connection's registry.
    void add(wl_output* output, std::uint32_t globalName, std::uint32_t version);
    void remove(std::uint32_t globalName);
    void setXdgOutputManager(zxdg_output_manager_v1* manager);
    /// Whether every output has described itself.
    [[nodiscard]] bool settled() const;
    /// Rebuilds the list if an output changed since the last call; runs the handler if so.
    void publish();

    struct Entry;

private:
    void rebuild();

    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<ScreenInfo> screens_;
    std::vector<wl_output*> screenOutputs_;
    zxdg_output_manager_v1* manager_ = nullptr;
    std::function<void()> changed_;
    bool dirty_ = false;

    friend struct OutputListeners;
};

} // namespace spanlet::wayland
