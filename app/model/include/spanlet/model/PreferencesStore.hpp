#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <spanlet/model/DefaultsStore.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/model/PreferencesNotice.hpp>

namespace spanlet {

/// Loads and saves the preferences without losing a document it cannot read. Such a document
/// (one that is not a JSON object, one with unusable values, or a file that cannot be read at
/// all) loads what it can, field by field over the defaults, and is never saved over: before
/// the first save it is set aside as
/// "preferences.unreadable-<UTC time>", so the guides and colours in it can still be recovered
/// by hand. Of those copies the newest keptCopies stay. While a document cannot be set aside,
/// nothing is saved.
class PreferencesStore {
public:
    static constexpr std::string_view unreadablePrefix = "preferences.unreadable-";
    static constexpr std::size_t keptCopies = 5;
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    explicit PreferencesStore(
        DefaultsStore& store, WallClock now = [] { return std::chrono::system_clock::now(); });

    /// The stored record, with defaults for what could not be read (remembering the document).
    Preferences load();
    /// Writes the record, after setting an unreadable document aside; false when nothing was
    /// written (the next save tries again).
    bool save(const Preferences& preferences);

    /// Whether load() found a document it could not read that has not been set aside yet.
    [[nodiscard]] bool holdsUnreadable() const noexcept { return unreadable_.has_value(); }
    /// What the user should hear of since the last call: each problem is told once, a failing
    /// save again only after a save has succeeded.
    std::optional<PreferencesNotice> takeNotice() { return std::exchange(notice_, std::nullopt); }

private:
    /// The unreadable document: its bytes when it was read but did not decode.
    struct Unreadable {
        std::optional<std::string> bytes;
    };

    bool setAside(const Unreadable& document);
    [[nodiscard]] std::string freshCopyKey() const;
    void dropOldCopies(std::string_view keep);

    DefaultsStore& store_;
    WallClock now_;
    std::optional<Unreadable> unreadable_;
    std::optional<PreferencesNotice> notice_;
    bool toldNotKept_ = false;
    bool toldNotSaved_ = false;
};

} // namespace spanlet
