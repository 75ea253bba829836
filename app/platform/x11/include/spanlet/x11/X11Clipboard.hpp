#pragma once

#include <spanlet/platform/qt/QtClipboard.hpp>

namespace spanlet {

/// The clipboard on X11: Qt's, handed to the clipboard manager before the application ends.
class X11Clipboard final : public QtClipboard {
public:
    /// Qt would hand the text over while the application is torn down, waiting up to 5 s for
    /// a clipboard manager; this does it within `wait` and then lets go of the selection.
    void handOver(std::chrono::milliseconds wait) override;
};

} // namespace spanlet
