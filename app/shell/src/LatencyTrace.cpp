#include "LatencyTrace.hpp"

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include <spanlet/model/Mensor.hpp>

namespace spanlet {

std::unique_ptr<LatencyTrace> LatencyTrace::fromEnvironment(const Mensor& model) {
    const char* path = std::getenv("SPANLET_TRACE");
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<LatencyTrace>(new LatencyTrace(model, fd));
}

LatencyTrace::LatencyTrace(const Mensor& model, int fd) : fd_(fd) {
    subscriptions_.push_back(model.tracking().pointer().subscribe(
        [this](const Point& p) { write("moved", p.x, p.y, false); }));
    subscriptions_.push_back(model.tracking().liveFrame().subscribe([this](const LiveFrame& frame) {
        // A new measurement, not the same one again with another loupe.
        if (frame.cross && frame.cross != published_) {
            write("published", frame.cross->pointerX, frame.cross->pointerY, true);
        }
        published_ = frame.cross;
    }));
}

LatencyTrace::~LatencyTrace() {
    subscriptions_.clear();
    flush();
    ::close(fd_);
}

void LatencyTrace::flush() {
    if (held_.empty()) {
        return;
    }
    // One write: O_APPEND keeps the lines whole. A failed write only loses samples.
    [[maybe_unused]] const ssize_t written = ::write(fd_, held_.data(), held_.size());
    held_.clear();
}

void LatencyTrace::write(const char* event, double x, double y, bool flushNow) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // std::to_chars: the same text whatever the locale.
    char line[128];
    char* out = line;
    char* const end = line + sizeof line;
    const auto put = [&](std::string_view s) {
        for (const char c : s) {
            if (out < end) {
                *out++ = c;
            }
        }
    };
    put(event);
    put(" ");
    out = std::to_chars(out, end, x, std::chars_format::fixed, 2).ptr;
    put(" ");
    out = std::to_chars(out, end, y, std::chars_format::fixed, 2).ptr;
    put(" ");
    out = std::to_chars(out, end, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec)
              .ptr;
    put("\n");
    held_.append(line, static_cast<std::size_t>(out - line));
    constexpr std::size_t mostHeld = 4096;
    if (flushNow || held_.size() >= mostHeld) {
        flush();
    }
}

} // namespace spanlet
