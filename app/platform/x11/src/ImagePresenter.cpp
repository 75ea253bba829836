#include "ImagePresenter.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <spanlet/x11/SideConnection.hpp>

#include "SharedSegment.hpp"
#include "XcbReply.hpp"

namespace spanlet::x11 {

namespace {

constexpr std::size_t headerBytes = 24; // of a PutImage request

/// Whether pixels of `visual` at `depth` are ARGB32 premultiplied words in the host's order.
bool takesArgb32(xcb_connection_t* c, xcb_visualid_t visual, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const std::uint16_t probe = 1;
    const bool hostLsb = *reinterpret_cast<const std::uint8_t*>(&probe) == 1;
    if (depth != 32 || (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != hostLsb) {
        return false;
    }
    bool wordPixels = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f)) {
        if (f.data->depth == 32) {
            wordPixels = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
        }
    }
    if (!wordPixels) {
        return false;
    }
    for (auto s = xcb_setup_roots_iterator(setup); s.rem > 0; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem > 0; xcb_depth_next(&d)) {
            if (d.data->depth != depth) {
                continue;
            }
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == visual) {
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           v.data->red_mask == 0xff0000U && v.data->green_mask == 0xff00U &&
                           v.data->blue_mask == 0xffU;
                }
            }
        }
    }
    return false;
}

/// `r` clipped to a `width` × `height` frame; empty when nothing is left.
DeviceRect clipped(const DeviceRect& r, int width, int height) {
    const int x0 = std::max(r.x, 0);
    const int y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.width, width);
    const int y1 = std::min(r.y + r.height, height);
    if (x1 <= x0 || y1 <= y0) {
        return {};
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace

std::unique_ptr<ImagePresenter> ImagePresenter::forWindow(SideConnection& connection,
                                                          std::uint32_t window, bool sharedMemory) {
    if (!connection.alive() || window == XCB_WINDOW_NONE) {
        return nullptr;
    }
    xcb_connection_t* c = connection.get();
    const auto attrs =
        reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    const auto geometry = reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    connection.readQueued();
    if (!attrs || !geometry || !takesArgb32(c, attrs->visual, geometry->depth)) {
        return nullptr;
    }
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, window, 0, nullptr);
    return std::unique_ptr<ImagePresenter>(
        new ImagePresenter(connection, window, gc, sharedMemory && connection.sharedMemory()));
}

ImagePresenter::ImagePresenter(SideConnection& connection, std::uint32_t window, std::uint32_t gc,
                               bool sharedMemory)
    : connection_(connection), window_(window), gc_(gc), sharedMemory_(sharedMemory) {}

ImagePresenter::~ImagePresenter() {
    release();
    if (connection_.alive()) {
        xcb_free_gc(connection_.get(), gc_);
        xcb_flush(connection_.get());
    }
}

void ImagePresenter::release() {
    waitUntilRead();
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
    std::vector<std::uint8_t>().swap(owned_);
    shared_.reset();
}

void ImagePresenter::waitUntilRead() {
    if (!unread_) {
        return;
    }
    // Any reply read since on this connection (each pointer query has one) tells that the
    // server has read the frame: no completion event needs to wake us for it.
    if (connection_.alive() && !connection_.carriedOutUpTo(lastPut_)) {
        connection_.readEvents();
        if (!connection_.carriedOutUpTo(lastPut_)) {
            connection_.sync(); // rare: a frame is painted before anything was heard after it
        }
    }
    unread_ = false;
}

SurfaceFrame ImagePresenter::current(bool fresh) {
    return {bits_, width_, height_, std::ptrdiff_t{width_} * 4, fresh};
}

SurfaceFrame ImagePresenter::frame(int width, int height) {
    waitUntilRead();
    width = std::max(1, width);
    height = std::max(1, height);
    if (bits_ != nullptr && width == width_ && height == height_) {
        return current(false);
    }
    release();
    const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (connection_.alive() && sharedMemory_) {
        shared_ = SharedSegment::make(connection_.get(), bytes, SharedSegment::Access::serverReads);
    }
    if (shared_) {
        bits_ = shared_->bits();
        std::memset(bits_, 0, bytes); // transparent
    } else {
        owned_.assign(bytes, 0);
        bits_ = owned_.data();
    }
    width_ = width;
    height_ = height;
    return current(true);
}

bool ImagePresenter::present(std::span<const DeviceRect> rects) {
    if (!connection_.alive()) {
        return false;
    }
    if (bits_ == nullptr) {
        return true; // given back since: nothing to show
    }
    std::vector<DeviceRect> inside;
    for (const DeviceRect& r : rects) {
        if (const DeviceRect c = clipped(r, width_, height_); c.width > 0) {
            inside.push_back(c);
        }
    }
    xcb_connection_t* c = connection_.get();
    for (std::size_t i = 0; i < inside.size(); ++i) {
        const DeviceRect& r = inside[i];
        if (shared_) {
            const bool last = i + 1 == inside.size();
            const xcb_void_cookie_t put = xcb_shm_put_image(
                c, window_, gc_, static_cast<std::uint16_t>(width_),
                static_cast<std::uint16_t>(height_), static_cast<std::uint16_t>(r.x),
                static_cast<std::uint16_t>(r.y), static_cast<std::uint16_t>(r.width),
                static_cast<std::uint16_t>(r.height), static_cast<std::int16_t>(r.x),
                static_cast<std::int16_t>(r.y), 32, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, shared_->id(), 0);
            if (last) {
                lastPut_ = put.sequence;
                unread_ = true;
            }
        } else {
            putSent(r);
        }
    }
    if (rows_.capacity() > (1U << 20)) {
        std::vector<std::uint8_t>().swap(rows_); // after a whole-window put, give it back
    }
    xcb_flush(c);
    connection_.readEvents();
    return connection_.alive();
}

void ImagePresenter::putSent(const DeviceRect& r) {
    const std::size_t budget = connection_.maxRequestBytes() - headerBytes;
    const int columnsPerRequest = static_cast<int>(std::max<std::size_t>(1, budget / 4));
    const std::ptrdiff_t stride = std::ptrdiff_t{width_} * 4;
    for (int x = r.x; x < r.x + r.width; x += columnsPerRequest) {
        const int width = std::min(columnsPerRequest, r.x + r.width - x);
        const auto rowBytes = static_cast<std::size_t>(width) * 4;
        const int rowsPerRequest = static_cast<int>(std::max<std::size_t>(1, budget / rowBytes));
        for (int y = r.y; y < r.y + r.height; y += rowsPerRequest) {
            const int height = std::min(rowsPerRequest, r.y + r.height - y);
            rows_.resize(rowBytes * static_cast<std::size_t>(height));
            for (int row = 0; row < height; ++row) {
                std::memcpy(rows_.data() + rowBytes * static_cast<std::size_t>(row),
                            bits_ + stride * (y + row) + std::ptrdiff_t{x} * 4, rowBytes);
            }
            xcb_put_image(connection_.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0, 32,
                          static_cast<std::uint32_t>(rows_.size()), rows_.data());
        }
    }
}

} // namespace spanlet::x11
