#pragma once

#include <string>

#include <spanlet/platform/Clipboard.hpp>

struct zwlr_data_control_device_v1;
struct zwlr_data_control_source_v1;

namespace spanlet::wayland {

class WaylandConnection;

/// The clipboard through zwlr_data_control_manager_v1, which needs neither keyboard focus nor
/// an input serial: a command from the command line can copy while another application has the
/// focus. Our text is served to readers while the connection is dispatched, until another
/// client takes the clipboard.
class WaylandClipboard final : public Clipboard {
public:
    /// `connection` must outlive this object.
    explicit WaylandClipboard(WaylandConnection& connection);
    ~WaylandClipboard() override;
    WaylandClipboard(const WaylandClipboard&) = delete;
    WaylandClipboard& operator=(const WaylandClipboard&) = delete;

    /// Whether the compositor offers data control and a seat.
    [[nodiscard]] bool available() const noexcept { return device_ != nullptr; }
    /// Replaces the clipboard's whole content with `text` (UTF-8).
    void setText(const std::string& text) override;

    struct Listeners;

private:
    WaylandConnection& connection_;
    zwlr_data_control_device_v1* device_ = nullptr;
    zwlr_data_control_source_v1* source_ = nullptr;
    std::string text_;
};

} // namespace spanlet::wayland
