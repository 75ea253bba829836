#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spanlet::UpdateCheck {

/// What the probe of the update feed found.
enum class Outcome {
    /// The feed is there: hand the check to the update framework.
    proceed,
    /// No feed published, so nothing newer.
    upToDate,
    couldNotCheck,
};

/// The outcome of a HEAD request for the feed: its HTTP status, or nothing after a transport
/// error or a response that was not HTTP.
[[nodiscard]] Outcome outcome(std::optional<int> httpStatus);

struct Alert {
    std::string title;
    std::string text;
    friend bool operator==(const Alert&, const Alert&) = default;
};

/// The display name when it is not empty, else the name when it is not empty, else "This app".
[[nodiscard]] std::string applicationName(std::string_view displayName, std::string_view name);
[[nodiscard]] Alert upToDate(std::string_view appName, std::string_view version);
[[nodiscard]] Alert couldNotCheck(std::string_view appName);

/// Orders dotted version texts by their numeric parts ("1.10" > "1.9", "1.4" == "1.4.0"); a
/// part's leading digits count, the rest of it is ignored. Negative, zero or positive.
[[nodiscard]] int compareVersions(std::string_view a, std::string_view b);

} // namespace spanlet::UpdateCheck
