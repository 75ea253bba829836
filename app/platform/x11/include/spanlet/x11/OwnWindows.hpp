#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace spanlet {

/// The X window ids of Spanlet's own top-level windows, which every capture leaves out.
/// Filters hold a live reference, so a window registered after a filter was made is left out
/// of that filter's captures too. Main thread only.
class OwnWindows {
public:
    void add(std::uint32_t window);
    void remove(std::uint32_t window);
    [[nodiscard]] bool contains(std::uint32_t window) const;

    struct Snapshot {
        std::vector<std::uint32_t> windows;
        /// Grows with every change, so readers can tell whether what they derived is stale.
        std::uint64_t generation = 0;
    };
    [[nodiscard]] Snapshot snapshot() const;
    [[nodiscard]] std::uint64_t generation() const noexcept { return generation_; }

private:
    std::unordered_set<std::uint32_t> windows_;
    std::uint64_t generation_ = 0;
};

} // namespace spanlet
