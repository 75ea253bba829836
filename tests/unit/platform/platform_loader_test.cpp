#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/platform/PlatformLoader.hpp>

namespace spanlet {
namespace {

using PlatformLoader::Backend;

TEST(PlatformLoader, CandidatesFollowTheSession) {
    const std::pair<PlatformLoader::Session, std::vector<Backend>> rows[] = {
        {{}, {}},
        {{std::nullopt, ":0", std::nullopt}, {Backend::x11}},
        {{"wayland-1", std::nullopt, std::nullopt},
         {Backend::wayland, Backend::plasma, Backend::stillFrame}},
        // Never Xwayland by itself: its overlay would not see the Wayland windows.
        {{"wayland-1", ":0", std::nullopt},
         {Backend::wayland, Backend::plasma, Backend::stillFrame}},
        {{"wayland-1", ":0", "x11"}, {Backend::x11}},
        {{"wayland-1", std::nullopt, "x11"}, {}},
        {{std::nullopt, ":0", "wayland"}, {Backend::x11}},
    };
    for (const auto& [session, expected] : rows) {
        EXPECT_EQ(PlatformLoader::candidates(session), expected);
    }
}

/// A back end that stands for a platform which started; its ports are never reached here.
class StartedPlatform : public Platform {
public:
    explicit StartedPlatform(Backend kind) : backend(kind) {}
    Backend backend;
    DisplayPort& displays() override { std::abort(); }
    CapturePort& capture() override { std::abort(); }
    PermissionPort& permission() override { std::abort(); }
    PlatformHotkeys& hotkeys() override { std::abort(); }
    Clipboard& clipboard() override { std::abort(); }
    OverlayHost& overlay() override { std::abort(); }
    WindowSurfaces& surfaces() override { std::abort(); }
};

PlatformLoader::Factory starts(Backend backend) {
    return [backend] { return std::make_unique<StartedPlatform>(backend); };
}

PlatformLoader::Factory fails() {
    return [] { return std::unique_ptr<Platform>(); };
}

std::optional<Backend> loaded(const PlatformLoader::Session& session,
                              const std::vector<PlatformLoader::Entry>& built) {
    const auto platform = PlatformLoader::load(session, built);
    if (!platform) {
        return std::nullopt;
    }
    return static_cast<StartedPlatform&>(*platform).backend;
}

TEST(PlatformLoader, TakesTheFirstCandidateThatStartsAmongThoseBuilt) {
    const PlatformLoader::Session both{"wayland-1", ":0", std::nullopt};
    EXPECT_EQ(loaded(both, {{Backend::x11, starts(Backend::x11)},
                            {Backend::wayland, starts(Backend::wayland)}}),
              Backend::wayland);
    // A compositor without the protocols we need: the still frame serves, not its XWayland.
    EXPECT_EQ(loaded(both, {{Backend::wayland, fails()},
                            {Backend::x11, starts(Backend::x11)},
                            {Backend::stillFrame, starts(Backend::stillFrame)}}),
              Backend::stillFrame);
    EXPECT_EQ(loaded(both, {{Backend::x11, starts(Backend::x11)}}), std::nullopt);
    EXPECT_EQ(loaded({"wayland-1", ":0", "x11"}, {{Backend::wayland, starts(Backend::wayland)},
                                                  {Backend::x11, starts(Backend::x11)}}),
              Backend::x11);
}

} // namespace
} // namespace spanlet
