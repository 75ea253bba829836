#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/ToolWindows.hpp>

namespace spanlet::CommandLine {

/// What a running Spanlet is asked to do, from the command line or by a second start.
struct Request {
    enum class Kind {
        /// A plain second start: bring the welcome window back.
        comeForward,
        command,
        show,
        quit,
    };
    Kind kind = Kind::comeForward;
    /// For `command`.
    MensorCommand command = MensorCommand::toggleRuler;
    /// For `show`.
    Windows::Kind window = Windows::Kind::welcome;

    /// The request by itself, e.g. "command toggleSnapping".
    [[nodiscard]] std::string text() const;
    /// The request as sent over the single-instance socket: one line with the moment the sender
    /// gives up on it, as time since the start of CLOCK_MONOTONIC (std::chrono::steady_clock on
    /// Linux), which both ends share: "command toggleSnapping until 81234567890\n" (nanoseconds).
    [[nodiscard]] std::string encode(std::chrono::nanoseconds deadline) const;

    friend bool operator==(const Request&, const Request&) = default;
};

/// A request line as received.
struct Sent {
    Request request;
    /// When the sender gives up on it; a receiver that reads the line later drops it.
    std::chrono::nanoseconds deadline{};

    /// The request of one received line (with or without its newline); nothing for anything
    /// else, which the receiver drops.
    [[nodiscard]] static std::optional<Sent> decode(std::string_view line);

    friend bool operator==(const Sent&, const Sent&) = default;
};

/// The longest line a request may take, newline included; longer ones are dropped.
inline constexpr std::size_t maxRequestBytes = 128;

/// The windows `--show` opens.
inline constexpr std::array showable{Windows::Kind::settings, Windows::Kind::welcome,
                                     Windows::Kind::measurements, Windows::Kind::colors};

/// What the arguments ask for.
struct Invocation {
    enum class Action {
        /// Hand `request` to the running Spanlet, or become it and carry the request out.
        request,
        printHelp,
        printVersion,
        /// The arguments are wrong: print `error` (one line) and exit with status 2.
        fail,
    };
    Action action = Action::request;
    Request request;
    /// Whether the arguments named a request (a plain start names none).
    bool explicitRequest = false;
    std::string error;
};

/// Reads the arguments after the program name. Accepts "--command NAME", "--command=NAME",
/// "--show KIND", "--show=KIND", "--quit", "--help", "--version", and nothing at all; at most one
/// of them.
[[nodiscard]] Invocation parse(const std::vector<std::string_view>& arguments);

/// The usage text `--help` prints, several lines ending in a newline.
[[nodiscard]] std::string help();

} // namespace spanlet::CommandLine
