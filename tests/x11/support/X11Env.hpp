#pragma once

#include <QRect>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

#include <spanlet/screen/CapturePort.hpp>

namespace spanlet::test {

/// The desktop every x11 test runs on (set up by the test main): one Xvfb of 2304 × 800
/// device pixels split into two RandR monitors side by side, A (primary, output "screen",
/// scale 2) and B (no output, scale 1).
namespace desk {
inline const QRect deviceA{0, 0, 1152, 800};
inline const QRect deviceB{1152, 0, 1152, 800};
} // namespace desk

/// Runs Qt's event loop until `done` holds or `timeout` passes; whether it holds.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

/// Lets Qt handle everything the X server has sent so far, then every call this queued.
void settle();

/// Qt's own XCB connection.
xcb_connection_t* qtConnection();

/// Calls `start` with a completion and waits for it; fails the test when it never comes or
/// when it runs inside the call.
template <class T>
std::optional<CaptureResult<T>>
awaitResult(const std::function<void(std::function<void(CaptureResult<T>)>)>& start) {
    std::optional<CaptureResult<T>> result;
    bool inside = true;
    bool calledInside = false;
    start([&](CaptureResult<T> r) {
        calledInside = inside;
        result = std::move(r);
    });
    inside = false;
    if (calledInside || !waitUntil([&] { return result.has_value(); })) {
        return std::nullopt;
    }
    return result;
}

/// Runs xdotool with `args`; whether it succeeded.
bool xdotool(const std::vector<std::string>& args);

/// Standard output of a program run to a successful end (at most 10 s) while Qt's event loop
/// keeps running: a clipboard read asks the selection's owner, which may be this process.
std::optional<std::string> output(const std::vector<std::string>& argv);

/// The CLIPBOARD selection as another client (xclip) reads it.
std::optional<std::string> clipboardText();

/// Text for a failed result.
std::string describe(const ScreenCapture::Error& error);

} // namespace spanlet::test
