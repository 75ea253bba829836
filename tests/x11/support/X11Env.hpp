#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace spanlet::test {

/// An XCB reply (or error), freed when it goes.
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> reply(T* p) {
    return Reply<T>(p, &std::free);
}

/// Runs Qt's event loop until `done` holds or `timeout` passes; whether it holds.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

/// Lets Qt handle everything the X server has sent so far, then every call this queued.
void settle();

/// Qt's own XCB connection.
xcb_connection_t* qtConnection();

/// Whether a compositing manager runs on `c`'s display: someone owns _NET_WM_CM_S0.
bool compositorRunning(xcb_connection_t* c);

/// Runs xdotool with `args`; whether it succeeded.
bool xdotool(const std::vector<std::string>& args);

/// Standard output of a program run to a successful end (at most 10 s) while Qt's event loop
/// keeps running: a clipboard read asks the selection's owner, which may be this process.
std::optional<std::string> output(const std::vector<std::string>& argv);

/// The CLIPBOARD selection as another client (xclip) reads it.
std::optional<std::string> clipboardText();

} // namespace spanlet::test
