#include "SpriteCache.hpp"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>
#include <type_traits>

#include <spanlet/HashCombine.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet::draw {

namespace {

/// Device pixels around an operation's bounds, for antialiasing (damage tracking allows one).
constexpr int margin = 2;
/// Operations larger than this (device pixels) are painted directly.
constexpr int maxSide = 512;
/// Bounds on what the cache holds.
constexpr std::size_t maxSprites = 64;
constexpr qint64 maxPixels = qint64{2} * 1024 * 1024;
/// Operations remembered as seen once.
constexpr std::size_t maxSeen = 32;

} // namespace

bool SpriteCache::paint(QPainter& painter, const DrawOp& op, const PaintDirect& paintDirect) {
    const QTransform device = painter.deviceTransform();
    const double scale = device.m11();
    if (device.type() > QTransform::TxScale || scale <= 0 || device.m22() != scale) {
        return false;
    }
    const std::optional<Rect> b = bounds(op);
    if (!b || !std::isfinite(b->x) || !std::isfinite(b->y) || b->width > maxSide / scale ||
        b->height > maxSide / scale) {
        return false;
    }
    // Where the bounds start on the device, split into whole pixels and a fraction.
    const double deviceX = device.dx() + scale * b->x;
    const double deviceY = device.dy() + scale * b->y;
    const double wholeX = std::floor(deviceX);
    const double wholeY = std::floor(deviceY);
    std::optional<DrawOp> key = moved(op, -b->x, -b->y);
    if (!key) {
        return false;
    }
    const double fractionX = deviceX - wholeX;
    const double fractionY = deviceY - wholeY;

    // The kind, size and text tell most operations apart: the whole operation is compared
    // only where these agree.
    const auto* text = std::get_if<DrawText>(&op);
    const std::size_t hash =
        hashCombine(op.index(), b->width, b->height, scale, fractionX, fractionY,
                    text != nullptr ? std::hash<std::string>{}(text->text) : std::size_t{0});
    auto found = std::find_if(sprites_.begin(), sprites_.end(), [&](const Sprite& s) {
        return s.hash == hash && s.scale == scale && s.fractionX == fractionX &&
               s.fractionY == fractionY && s.op == *key;
    });
    if (found == sprites_.end()) {
        // Made into an image only when seen a second time: a label whose number changes on
        // every move would otherwise cost an image per frame on top of its painting.
        Seen seen{hash, *key, scale, fractionX, fractionY, repaint_};
        const auto before = std::find_if(seen_.begin(), seen_.end(),
                                         [&seen](const Seen& s) { return s.sameAs(seen); });
        if (before == seen_.end()) {
            if (seen_.size() >= maxSeen) {
                seen_.erase(seen_.begin());
            }
            seen_.push_back(std::move(seen));
            return false;
        }
        if (before->repaint == repaint_) {
            return false;
        }
        seen_.erase(before);
        const int width = static_cast<int>(std::ceil(fractionX + scale * b->width)) + 2 * margin;
        const int height = static_cast<int>(std::ceil(fractionY + scale * b->height)) + 2 * margin;
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.setTransform(QTransform(scale, 0, 0, scale, margin + fractionX, margin + fractionY));
            paintDirect(p, *key);
        }
        evictFor(static_cast<qint64>(width) * height);
        pixels_ += static_cast<qint64>(width) * height;
        sprites_.push_back(
            {hash, std::move(*key), scale, fractionX, fractionY, std::move(image), 0});
        found = sprites_.end() - 1;
    }
    found->lastUse = ++clock_;
    QPainterBackend::drawDeviceImage(painter, QPointF(wholeX - margin, wholeY - margin),
                                     found->image);
    return true;
}

void SpriteCache::evictFor(qint64 pixels) {
    while (!sprites_.empty() && (sprites_.size() >= maxSprites || pixels_ + pixels > maxPixels)) {
        const auto oldest = std::min_element(
            sprites_.begin(), sprites_.end(),
            [](const Sprite& a, const Sprite& b) { return a.lastUse < b.lastUse; });
        pixels_ -= static_cast<qint64>(oldest->image.width()) * oldest->image.height();
        // Order does not matter: the last takes its place instead of all after it moving up.
        if (oldest != sprites_.end() - 1) {
            *oldest = std::move(sprites_.back());
        }
        sprites_.pop_back();
    }
}

} // namespace spanlet::draw
