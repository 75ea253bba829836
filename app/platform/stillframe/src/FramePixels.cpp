#include <QSysInfo>
#include <cstring>

#include <spanlet/stillframe/FramePixels.hpp>

namespace spanlet::stillframe {

QImage framePixels(const FramePlane& plane, QRect area) {
    area &= QRect(QPoint(0, 0), plane.pixels);
    if (area.isEmpty() || plane.bytes == nullptr ||
        plane.stride < std::int64_t{area.right() + 1} * 4) {
        return {};
    }
    const std::int64_t needed = plane.stride * area.bottom() + std::int64_t{area.right() + 1} * 4;
    if (needed > static_cast<std::int64_t>(plane.size)) {
        return {};
    }
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        const std::uint8_t* in =
            plane.bytes + plane.stride * (area.y() + y) + std::int64_t{area.x()} * 4;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (plane.layout == PixelLayout::bgrx && QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            // Already RGB32's layout in memory, but for the padding byte.
            std::memcpy(out, in, static_cast<std::size_t>(area.width()) * 4);
            for (int x = 0; x < area.width(); ++x) {
                out[x] |= 0xff000000U;
            }
            continue;
        }
        const int red = plane.layout == PixelLayout::bgrx ? 2 : 0;
        const int blue = 2 - red;
        for (int x = 0; x < area.width(); ++x, in += 4) {
            out[x] = qRgb(in[red], in[1], in[blue]);
        }
    }
    return image;
}

} // namespace spanlet::stillframe
