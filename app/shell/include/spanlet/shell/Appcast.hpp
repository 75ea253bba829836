#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace spanlet::Appcast {

/// One release in an RSS appcast.
struct Release {
    /// The version shown to people (sparkle:shortVersionString, else sparkle:version).
    QString version;
    /// Where to get it: the item's link, else its enclosure's address.
    QUrl page;
    friend bool operator==(const Release&, const Release&) = default;
};

/// The releases of an RSS 2.0 appcast, in document order. Versions are read from the
/// sparkle:shortVersionString / sparkle:version elements of an item or the attributes of its
/// enclosure, whatever prefix the namespace has. Items without a version or a page are skipped;
/// malformed XML yields what was read before the fault.
[[nodiscard]] std::vector<Release> releases(const QByteArray& rss);

/// The newest release that is newer than `current`, if any.
[[nodiscard]] std::optional<Release> newer(const std::vector<Release>& releases,
                                           const QString& current);

} // namespace spanlet::Appcast
