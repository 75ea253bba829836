#include <QXmlStreamReader>
#include <algorithm>

#include <spanlet/shell/Appcast.hpp>
#include <spanlet/shell/UpdateCheck.hpp>

namespace spanlet::Appcast {

namespace {

struct ItemFields {
    QString shortVersion;
    QString version;
    QString link;
    QString enclosure;
};

void readEnclosure(const QXmlStreamAttributes& attributes, ItemFields& item) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == QStringLiteral("shortVersionString")) {
            item.shortVersion = a.value().toString().trimmed();
        } else if (a.name() == QStringLiteral("version")) {
            item.version = a.value().toString().trimmed();
        } else if (a.name() == QStringLiteral("url")) {
            item.enclosure = a.value().toString().trimmed();
        }
    }
}

QUrl securePage(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && url.scheme() == QStringLiteral("https") && !url.host().isEmpty()
               ? url
               : QUrl();
}

} // namespace

QString plainLabel(const QString& text) {
    QString plain;
    bool cut = false;
    for (const QChar c : text) {
        const bool blank = c.isSpace() || c.category() == QChar::Other_Control ||
                           c.category() == QChar::Other_Format;
        if (!blank) {
            plain += c;
        } else if (!plain.isEmpty() && !plain.endsWith(QLatin1Char(' '))) {
            plain += QLatin1Char(' ');
        }
        if (plain.size() > maxLabelLength) {
            cut = true;
            break;
        }
    }
    plain = plain.trimmed();
    if (cut) {
        plain.truncate(maxLabelLength - 1);
        if (plain.back().isHighSurrogate()) {
            plain.chop(1);
        }
        plain += QChar(0x2026);
    }
    return plain;
}

std::optional<std::vector<Release>> releases(const QByteArray& rss) {
    std::vector<Release> result;
    QXmlStreamReader xml(rss);
    std::optional<ItemFields> item;
    bool root = true;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (root && name != QStringLiteral("rss")) {
                return std::nullopt;
            }
            root = false;
            if (name == QStringLiteral("item")) {
                item = ItemFields{};
            } else if (!item) {
                continue;
            } else if (name == QStringLiteral("enclosure")) {
                // Attributes given on the enclosure do not replace elements read before.
                ItemFields fromEnclosure;
                readEnclosure(xml.attributes(), fromEnclosure);
                if (item->shortVersion.isEmpty()) {
                    item->shortVersion = fromEnclosure.shortVersion;
                }
                if (item->version.isEmpty()) {
                    item->version = fromEnclosure.version;
                }
                item->enclosure = fromEnclosure.enclosure;
            } else if (name == QStringLiteral("shortVersionString")) {
                item->shortVersion = xml.readElementText().trimmed();
            } else if (name == QStringLiteral("version")) {
                item->version = xml.readElementText().trimmed();
            } else if (name == QStringLiteral("link")) {
                item->link = xml.readElementText().trimmed();
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QStringLiteral("item") &&
                   item) {
            const QString version =
                plainLabel(item->shortVersion.isEmpty() ? item->version : item->shortVersion);
            QUrl page = securePage(item->link);
            if (page.isEmpty()) {
                page = securePage(item->enclosure);
            }
            if (!version.isEmpty() && !page.isEmpty()) {
                result.push_back(Release{version, page});
            }
            item.reset();
        }
    }
    if (xml.hasError() || root) {
        return std::nullopt;
    }
    return result;
}

std::optional<Release> newer(const std::vector<Release>& releases, const QString& current) {
    std::optional<Release> best;
    const std::string base = current.toStdString();
    for (const Release& r : releases) {
        const std::string v = r.version.toStdString();
        if (UpdateCheck::compareVersions(v, base) <= 0) {
            continue;
        }
        if (!best || UpdateCheck::compareVersions(v, best->version.toStdString()) > 0) {
            best = r;
        }
    }
    return best;
}

} // namespace spanlet::Appcast
