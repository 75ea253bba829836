#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <spanlet/model/ColorSampler.hpp>

namespace spanlet {

class HostedOverlay;

/// The colour sampler on the overlay's own surfaces, for back ends where the overlay takes the
/// pointer (no client sees it elsewhere): while open the overlay takes the pointer and the
/// keyboard, the loupe of the pixels around the pointer follows it, a left click picks the
/// colour under the pointer, and Escape or another button cancels.
class OverlayColorSampler final : public ColorSampler {
public:
    /// `overlay` must outlive the sampler.
    explicit OverlayColorSampler(HostedOverlay& overlay);
    ~OverlayColorSampler() override;
    OverlayColorSampler(const OverlayColorSampler&) = delete;
    OverlayColorSampler& operator=(const OverlayColorSampler&) = delete;

    /// A sampler that is already open is cancelled first.
    void show(LoupeSource loupes, Handler handler) override;
    void cancel() override;

    [[nodiscard]] bool isOpen() const noexcept { return static_cast<bool>(handler_); }

private:
    void moved(Point pointer);
    /// Captures the loupe at `pointer` unless a capture is on its way; that one asks again
    /// for the latest place when it lands.
    void capture(Point pointer);
    void pick(Point pointer);
    void finish(std::optional<SRGBColor> color);

    HostedOverlay& overlay_;
    LoupeSource loupes_;
    Handler handler_;
    bool inFlight_ = false;
    bool picked_ = false;       ///< clicked: the pick's copy is on its way
    std::optional<Point> next_; ///< where the pointer went while a capture was on its way
    /// Bumped on every opening and closing, so a capture answering late finds out it is stale.
    std::shared_ptr<std::uint64_t> generation_ = std::make_shared<std::uint64_t>(0);
};

} // namespace spanlet
