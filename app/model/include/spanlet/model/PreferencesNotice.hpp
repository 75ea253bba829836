#pragma once

#include <string>

#include <spanlet/model/DefaultsStore.hpp>

namespace spanlet {

/// Something about the stored settings that the user is told about, once.
struct PreferencesNotice {
    enum class Kind {
        /// The stored settings could not be read; they were set aside under another name.
        unreadableKept,
        /// They could not be read, nor set aside: nothing is saved over them.
        unreadableNotKept,
        /// The settings could not be saved.
        notSaved,
    };
    Kind kind = Kind::notSaved;
    /// unreadableKept: where the unreadable settings are now.
    std::string keptAt;
    /// notSaved: why.
    StoreFailure failure = StoreFailure::other;

    /// The on-screen message.
    [[nodiscard]] std::string text() const;

    friend bool operator==(const PreferencesNotice&, const PreferencesNotice&) = default;
};

} // namespace spanlet
