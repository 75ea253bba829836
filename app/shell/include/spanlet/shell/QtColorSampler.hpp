#pragma once

#include <QtGui/qwindowdefs.h>
#include <cstdint>
#include <functional>
#include <memory>

#include <spanlet/model/ColorSampler.hpp>
#include <spanlet/platform/DisplayPort.hpp>

class QWidget;

namespace spanlet {

class SamplerLoupe;

/// The colour sampler: while open it takes the pointer and the keyboard, shows the loupe of the
/// pixels around the pointer (captured by the model as for edge snapping, so our own windows
/// are never sampled) and answers with the colour of the pixel under the pointer when the user
/// clicks. Escape or a right click cancels.
class QtColorSampler final : public ColorSampler {
public:
    /// `ownWindow` is called with the loupe's window before it is shown, so captures leave it
    /// out.
    QtColorSampler(DisplayPort& displays, std::function<void(QWidget&)> ownWindow);
    ~QtColorSampler() override;
    QtColorSampler(const QtColorSampler&) = delete;
    QtColorSampler& operator=(const QtColorSampler&) = delete;

    /// A sampler that is already open is cancelled first.
    void show(LoupeSource loupes, Handler handler) override;
    void cancel() override;

    [[nodiscard]] bool isOpen() const noexcept { return static_cast<bool>(handler_); }
    /// The loupe window while open (for tests).
    [[nodiscard]] QWidget* window() const;
    /// Whether the open sampler holds the pointer and the keyboard.
    [[nodiscard]] bool isGrabbing() const;

private:
    void pick();
    void finish(std::optional<SRGBColor> color);

    DisplayPort& displays_;
    std::function<void(QWidget&)> ownWindow_;
    std::unique_ptr<SamplerLoupe> loupe_;
    LoupeSource loupes_;
    Handler handler_;
    /// Bumped on every opening and closing, so a capture answering late finds out it is stale.
    std::shared_ptr<std::uint64_t> generation_ = std::make_shared<std::uint64_t>(0);
};

} // namespace spanlet
