#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace spanlet {

/// A 16-byte identifier; random ones are version 4. Text form is the standard 36 characters,
/// written upper case and read in either case.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr Uuid() = default; // the nil UUID
    constexpr explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    static Uuid random();
    static std::optional<Uuid> parse(std::string_view text);

    [[nodiscard]] std::string string() const;
    [[nodiscard]] const Bytes& bytes() const noexcept { return bytes_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    Bytes bytes_{};
};

} // namespace spanlet

template <>
struct std::hash<spanlet::Uuid> {
    std::size_t operator()(const spanlet::Uuid& u) const noexcept {
        std::size_t h = 0xcbf29ce484222325ULL;
        for (auto byte : u.bytes()) {
            h = (h ^ byte) * 0x100000001b3ULL;
        }
        return h;
    }
};
