#pragma once

#include <spanlet/platform/Clipboard.hpp>

namespace spanlet {

/// The CLIPBOARD selection of the desktop (not PRIMARY), through QClipboard. Qt owns it for as
/// long as the application runs, so the text stays after the window that copied it is closed.
/// Where the desktop hands text to a clipboard manager only on request, a back end adds that
/// (handOver).
class QtClipboard : public Clipboard {
public:
    void setText(const std::string& text) override;
};

} // namespace spanlet
