#pragma once

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace spanlet::test {

/// A headless sway of its own (pixman renderer, no input devices, no Xwayland) with a fresh
/// XDG_RUNTIME_DIR, the environment pointing Wayland clients and swaymsg at it; everything goes
/// when this does. sway refuses to run as root, so under root it runs as the system user
/// `spanlet-test`, made on first use, who owns the runtime folder (mode 0700); our own clients
/// still reach its socket as root.
class SwaySession {
public:
    /// `config`: lines appended to the sway configuration, e.g. output settings. With `host`,
    /// this sway runs nested in that one's (wayland back end): each of its outputs is a window
    /// there, and killing that window unplugs the output, which a headless sway cannot do.
    explicit SwaySession(const std::string& config = {}, const SwaySession* host = nullptr);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    [[nodiscard]] bool ok() const noexcept { return pid_ > 0; }
    /// The runtime folder; sway's user reads the files we put there when they are world-readable.
    [[nodiscard]] const std::string& runtimeFolder() const noexcept { return folder_; }

    /// Runs swaymsg with `args` against this sway; its output when it succeeded.
    std::optional<std::string> swaymsg(const std::vector<std::string>& args) const;

private:
    std::string folder_;
    std::string display_; ///< the Wayland socket's path
    std::string ipcSocket_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    pid_t pid_ = -1;
};

/// Tests that each run on a sway of their own, with one output of 1280 × 800 at scale 1.
class SwayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sway.ok()); }
    SwaySession sway{"output HEADLESS-1 resolution 1280x800 position 0 0"};
};

} // namespace spanlet::test
