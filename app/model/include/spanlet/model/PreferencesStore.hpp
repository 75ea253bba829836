#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <spanlet/model/DefaultsStore.hpp>
#include <spanlet/model/Preferences.hpp>

namespace spanlet {

/// Loads and saves the preferences without losing a document it cannot read. Such a document
/// loads as the defaults; before the first save would replace it, its bytes are copied to
/// "preferences.unreadable" so the guides and colours in it can still be recovered by hand.
/// An existing copy is never replaced: it is the oldest, and most likely the one worth saving.
class PreferencesStore {
public:
    static constexpr std::string_view unreadableKey = "preferences.unreadable";

    explicit PreferencesStore(DefaultsStore& store) noexcept : store_(store) {}

    /// The stored record, or the defaults (remembering the bytes when there were some).
    Preferences load();
    /// Writes the record. When an unreadable document is still waiting to be kept and no copy
    /// exists yet, the copy is written first; if that fails nothing is written and the result
    /// is false, so the next save tries again.
    bool save(const Preferences& preferences);

    /// Whether load() found a document it could not decode that has not been copied yet.
    [[nodiscard]] bool holdsUnreadable() const noexcept { return unreadable_.has_value(); }

private:
    DefaultsStore& store_;
    std::optional<std::string> unreadable_;
};

} // namespace spanlet
