#pragma once

#include <gtest/gtest.h>
#include <string>

#include "Processes.hpp"

namespace spanlet::test {

/// The X session a GUI test binary runs on.
struct XSessionOptions {
    /// Xvfb screen, e.g. "2304x800x24".
    std::string screen;
    /// Splits the screen into two RandR monitors side by side: A (primary, output "screen",
    /// scale 2) and B (no output, scale 1), each 1152 device pixels wide. SPANLET_TEST_SCALES
    /// gives other scales, comma-separated.
    bool twoMonitors = false;
};

/// An Xvfb of its own (on a free display number, chosen by the server through -displayfd,
/// with RandR and Composite) and fresh XDG_RUNTIME_DIR and XDG_CONFIG_HOME folders, the
/// environment pointing Qt at them; everything goes when this does.
class XSession {
public:
    explicit XSession(const XSessionOptions& options);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    [[nodiscard]] bool ok() const noexcept { return ok_; }

private:
    Background server_;
    std::string folder_;
    bool ok_ = false;
};

/// Sets the locale and gtest up; whether the run only lists the tests (test discovery at build
/// time needs no X server).
bool initTests(int& argc, char** argv);

/// The whole main of a GUI test binary: an XSession, an `App` (QGuiApplication or
/// QApplication) on it and the tests.
template <class App>
int runXTests(int argc, char** argv, const XSessionOptions& options) {
    if (initTests(argc, argv)) {
        return RUN_ALL_TESTS();
    }
    XSession session(options);
    if (!session.ok()) {
        return 1;
    }
    App app(argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace spanlet::test
