#pragma once

#include <functional>
#include <optional>

#include <spanlet/Color.hpp>

namespace spanlet {

/// Lets the user pick a colour anywhere on screen.
class ColorSampler {
public:
    using Handler = std::function<void(std::optional<SRGBColor>)>;

    virtual ~ColorSampler() = default;
    /// Opens the sampler. `handler` runs once, later, on the main thread: with the picked
    /// colour in sRGB, or with nothing when the pick was cancelled or could not be converted.
    virtual void show(Handler handler) = 0;
    /// Closes an open sampler; its handler then runs with nothing.
    virtual void cancel() = 0;
};

} // namespace spanlet
