#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Cross.hpp>
#include <spanlet/model/Observable.hpp>

namespace spanlet {

class Mensor;

/// Timestamps for the latency benchmark. When the environment variable SPANLET_TRACE names a
/// file, one line is appended to it each time the model hears of the pointer at a new place
/// and each time a live measurement is published:
///
///     moved <x> <y> <ns>
///     published <x> <y> <ns>
///
/// and whatever mark() is given, as "<event> 0 0 <ns>".
/// where (x, y) is the pointer (global points) and ns the CLOCK_MONOTONIC time in
/// nanoseconds. Without the variable nothing is done at all. Lines are held back until the
/// next "published" line (or until a few kilobytes are held), in order, so that tracing costs
/// one write per update: the times are those of the events.
class LatencyTrace {
public:
    /// A trace of `model`, or nothing when SPANLET_TRACE is unset or its file can't be opened.
    static std::unique_ptr<LatencyTrace> fromEnvironment(const Mensor& model);

    ~LatencyTrace();
    LatencyTrace(const LatencyTrace&) = delete;
    LatencyTrace& operator=(const LatencyTrace&) = delete;

    void mark(const char* event) { write(event, 0, 0, false); }

private:
    LatencyTrace(const Mensor& model, int fd);
    /// Adds a line to those held back; writes them all when `flushNow`.
    void write(const char* event, double x, double y, bool flushNow);
    void flush();

    int fd_;
    std::string held_;
    std::optional<Cross> published_;
    std::vector<Subscription> subscriptions_;
};

} // namespace spanlet
