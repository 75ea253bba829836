#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace spanlet::Appcast {

/// One release in an RSS appcast.
struct Release {
    /// The version shown to people (sparkle:shortVersionString, else sparkle:version), as
    /// plainLabel() makes it.
    QString version;
    /// Where to get it: the item's link, else its enclosure's address; always https.
    QUrl page;
    friend bool operator==(const Release&, const Release&) = default;
};

/// The longest label taken from a feed, in characters.
inline constexpr qsizetype maxLabelLength = 64;

/// `text` fit to be shown as a label: control characters and runs of white space made into one
/// blank, trimmed, and cut to maxLabelLength characters (the last one then "…"). It is still
/// to be shown as plain text, never as rich text.
[[nodiscard]] QString plainLabel(const QString& text);

/// The releases of an RSS 2.0 appcast, in document order. Versions are read from the
/// sparkle:shortVersionString / sparkle:version elements of an item or the attributes of its
/// enclosure, whatever prefix the namespace has. Pages are https only: an item's link that is
/// not gives way to its enclosure's address. Items without a version or a page are skipped.
/// Nothing when `rss` is not a well-formed RSS document: then no release of it counts.
[[nodiscard]] std::optional<std::vector<Release>> releases(const QByteArray& rss);

/// The newest release that is newer than `current`, if any.
[[nodiscard]] std::optional<Release> newer(const std::vector<Release>& releases,
                                           const QString& current);

} // namespace spanlet::Appcast
