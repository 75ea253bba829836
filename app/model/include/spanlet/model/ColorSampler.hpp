#pragma once

#include <functional>
#include <optional>

#include <spanlet/Color.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/model/MensorRecords.hpp>

namespace spanlet {

/// Lets the user pick a colour anywhere on screen.
class ColorSampler {
public:
    using Handler = std::function<void(std::optional<SRGBColor>)>;
    /// The model's capture of the loupe at a pointer (global top-left points): `done` runs
    /// once, later, with the loupe or with nothing when the capture failed.
    using LoupeSource =
        std::function<void(Point pointer, std::function<void(std::optional<Loupe>)> done)>;

    virtual ~ColorSampler() = default;
    /// Opens the sampler, which shows and picks from the loupes `loupes` captures. `handler`
    /// runs once, later, on the main thread: with the picked colour in sRGB, or with nothing
    /// when the pick was cancelled or could not be converted.
    virtual void show(LoupeSource loupes, Handler handler) = 0;
    /// Closes an open sampler; its handler then runs with nothing.
    virtual void cancel() = 0;
};

} // namespace spanlet
