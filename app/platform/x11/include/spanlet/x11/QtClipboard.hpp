#pragma once

#include <spanlet/platform/Clipboard.hpp>

namespace spanlet {

/// The CLIPBOARD selection of the desktop (not PRIMARY), through QClipboard. Qt owns the
/// selection through its own hidden window, so the text stays available after the window that
/// copied it is closed, for as long as the application runs.
class QtClipboard final : public Clipboard {
public:
    void setText(const std::string& text) override;
    /// Qt would hand the text over while the application is torn down, waiting up to 5 s for
    /// a clipboard manager; this does it within `wait` and then lets go of the selection.
    void handOver(std::chrono::milliseconds wait) override;
};

} // namespace spanlet
