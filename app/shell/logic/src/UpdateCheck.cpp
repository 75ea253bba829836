#include <algorithm>
#include <cstdint>
#include <vector>

#include <spanlet/shell/UpdateCheck.hpp>

namespace spanlet::UpdateCheck {

Outcome outcome(std::optional<int> httpStatus) {
    if (!httpStatus) {
        return Outcome::couldNotCheck;
    }
    const int status = *httpStatus;
    if (status >= 200 && status <= 299) {
        return Outcome::proceed;
    }
    if (status == 404 || status == 410) {
        return Outcome::upToDate;
    }
    // The server does not take HEAD requests; the feed may well be there.
    if (status == 405 || status == 501) {
        return Outcome::proceed;
    }
    return Outcome::couldNotCheck;
}

std::string applicationName(std::string_view displayName, std::string_view name) {
    if (!displayName.empty()) {
        return std::string(displayName);
    }
    if (!name.empty()) {
        return std::string(name);
    }
    return "This app";
}

Alert upToDate(std::string_view appName, std::string_view version) {
    const std::string app(appName);
    return Alert{"You’re up to date",
                 app + " " + std::string(version) + " is the newest version. " + app +
                     " checks for updates on its own and will let you know when there’s a new "
                     "one."};
}

Alert couldNotCheck(std::string_view appName) {
    return Alert{"Couldn’t check for updates", "Check your internet connection and try again. " +
                                                   std::string(appName) +
                                                   " also checks on its own about once a day."};
}

namespace {

std::vector<std::uint64_t> parts(std::string_view version) {
    std::vector<std::uint64_t> result;
    std::size_t start = 0;
    while (start <= version.size()) {
        const std::size_t dot = version.find('.', start);
        const std::string_view part = version.substr(
            start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        std::uint64_t value = 0;
        for (char c : part) {
            if (c < '0' || c > '9' || value > 1'000'000'000'000ULL) {
                break;
            }
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        }
        result.push_back(value);
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    return result;
}

} // namespace

int compareVersions(std::string_view a, std::string_view b) {
    const auto left = parts(a);
    const auto right = parts(b);
    const std::size_t n = std::max(left.size(), right.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t x = i < left.size() ? left[i] : 0;
        const std::uint64_t y = i < right.size() ? right[i] : 0;
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

} // namespace spanlet::UpdateCheck
