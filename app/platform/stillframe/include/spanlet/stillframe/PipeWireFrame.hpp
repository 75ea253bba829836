#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>

namespace spanlet::stillframe {

/// The first frame of a PipeWire video stream, or why there is none.
using PipeWireResult = std::variant<QImage, std::string>;

/// Takes one frame of a PipeWire video stream and lets the stream go.
class PipeWireFrame {
public:
    /// Connects to PipeWire (the user's own daemon where `remoteFd` is -1; otherwise the remote
    /// that descriptor opens, which this takes over, as a portal hands it out), takes the first
    /// frame of node `node` and disconnects. `done` runs later on the main thread.
    static void take(int remoteFd, std::uint32_t node, std::function<void(PipeWireResult)> done);
};

} // namespace spanlet::stillframe
