#include "ImagePresenter.hpp"

#include <QSysInfo>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include "OverlayX11.hpp"

namespace spanlet::overlayx11 {

namespace {

constexpr std::size_t headerBytes = 24;         // of a PutImage request
constexpr std::size_t largestRequest = 4 << 20; // bytes; bounds the packing buffer

/// One connection for every panel, opened on first use and kept for the process's life.
/// Only the GUI thread uses it.
struct Connection {
    xcb_connection_t* c = nullptr;
    std::size_t maxRequestBytes = 0;
    bool sharedMemory = false;
    /// The last request the server is known to have carried out (full sequence number).
    unsigned int carriedOut = 0;

    Connection() {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c) != 0) {
            xcb_disconnect(c);
            c = nullptr;
            return;
        }
        // In 4-byte units, with BIG-REQUESTS if the server has it.
        maxRequestBytes = std::min<std::size_t>(
            static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4, largestRequest);
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
        sharedMemory = shm != nullptr && shm->present != 0;
    }
    ~Connection() {
        if (c != nullptr) {
            xcb_disconnect(c);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] bool alive() const { return c != nullptr && xcb_connection_has_error(c) == 0; }

    /// Reads what the server sent (put completions, errors of requests on windows already
    /// gone); each tells how far the server has got.
    void readEvents() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            learn(e->full_sequence);
            std::free(e);
        }
    }

    /// Waits until the server has carried out every request sent so far.
    void sync() {
        learn(roundTrip(c));
        readEvents();
    }

    /// Whether the server has carried out request `sequence` (numbers wrap around).
    [[nodiscard]] bool carriedOutUpTo(unsigned int sequence) const {
        return static_cast<int>(sequence - carriedOut) <= 0;
    }

    void learn(unsigned int sequence) {
        if (static_cast<int>(sequence - carriedOut) > 0) {
            carriedOut = sequence;
        }
    }
};

Connection& connection() {
    static Connection shared;
    return shared;
}

/// Whether pixels of `visual` at `depth` are ARGB32 premultiplied words in the host's order.
bool takesArgb32(xcb_connection_t* c, xcb_visualid_t visual, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const bool hostLsb = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
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

} // namespace

/// A System V shared-memory segment the server has attached (read only).
struct ImagePresenter::Shared {
    void* address = nullptr;
    xcb_shm_seg_t segment = 0;
    unsigned int lastPut = 0; ///< sequence number of the last put from it

    /// Nothing when the memory cannot be had or the server cannot attach it.
    static std::unique_ptr<Shared> make(Connection& conn, std::size_t bytes) {
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) {
            return nullptr;
        }
        void* address = shmat(id, nullptr, 0);
        const bool mapped = reinterpret_cast<std::intptr_t>(address) != -1; // (void*) -1: failed
        const xcb_shm_seg_t segment = xcb_generate_id(conn.c);
        const bool attached =
            mapped &&
            reply(xcb_request_check(conn.c, xcb_shm_attach_checked(conn.c, segment,
                                                                   static_cast<std::uint32_t>(id),
                                                                   1))) == nullptr;
        // Marked for removal now: it goes when both sides have detached, even after a crash.
        shmctl(id, IPC_RMID, nullptr);
        if (!attached) {
            if (mapped) {
                shmdt(address);
            }
            return nullptr;
        }
        auto shared = std::make_unique<Shared>();
        shared->address = address;
        shared->segment = segment;
        return shared;
    }
};

std::unique_ptr<ImagePresenter> ImagePresenter::forWindow(std::uint32_t window, bool sharedMemory) {
    Connection& conn = connection();
    if (!conn.alive() || window == XCB_WINDOW_NONE) {
        return nullptr;
    }
    xcb_connection_t* c = conn.c;
    const auto attrs =
        reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    const auto geometry = reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!attrs || !geometry || !takesArgb32(c, attrs->visual, geometry->depth)) {
        return nullptr;
    }
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, window, 0, nullptr);
    return std::unique_ptr<ImagePresenter>(
        new ImagePresenter(window, gc, sharedMemory && conn.sharedMemory));
}

ImagePresenter::ImagePresenter(std::uint32_t window, std::uint32_t gc, bool sharedMemory)
    : window_(window), gc_(gc), sharedMemory_(sharedMemory) {}

ImagePresenter::~ImagePresenter() {
    release();
    Connection& conn = connection();
    if (conn.alive()) {
        xcb_free_gc(conn.c, gc_);
        xcb_flush(conn.c);
    }
}

void ImagePresenter::release() {
    waitUntilRead();
    frame_ = QImage();
    if (shared_) {
        Connection& conn = connection();
        if (conn.alive()) {
            xcb_shm_detach(conn.c, shared_->segment);
            xcb_flush(conn.c);
        }
        shmdt(shared_->address);
        shared_.reset();
    }
}

void ImagePresenter::waitUntilRead() {
    if (!unread_) {
        return;
    }
    Connection& conn = connection();
    if (conn.alive()) {
        conn.readEvents();
        if (!conn.carriedOutUpTo(shared_->lastPut)) {
            conn.sync(); // rare: a frame is painted before the last one was read
        }
    }
    unread_ = false;
}

QImage& ImagePresenter::frame(QSize device, double devicePixelRatio, bool& fresh) {
    waitUntilRead();
    fresh = frame_.size() != device || frame_.devicePixelRatio() != devicePixelRatio;
    if (!fresh) {
        return frame_;
    }
    release();
    const int width = std::max(1, device.width());
    const int height = std::max(1, device.height());
    const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    Connection& conn = connection();
    if (conn.alive() && sharedMemory_) {
        shared_ = Shared::make(conn, bytes);
    }
    if (shared_) {
        frame_ = QImage(static_cast<uchar*>(shared_->address), width, height, qsizetype{width} * 4,
                        QImage::Format_ARGB32_Premultiplied);
    } else {
        frame_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    }
    frame_.fill(Qt::transparent);
    frame_.setDevicePixelRatio(devicePixelRatio);
    return frame_;
}

bool ImagePresenter::present(const std::vector<QRect>& rects) {
    Connection& conn = connection();
    if (!conn.alive()) {
        return false;
    }
    if (frame_.isNull()) {
        return true; // given back since: nothing to show
    }
    std::vector<QRect> clipped;
    for (const QRect& r : rects) {
        if (const QRect c = r & frame_.rect(); !c.isEmpty()) {
            clipped.push_back(c);
        }
    }
    for (std::size_t i = 0; i < clipped.size(); ++i) {
        const QRect& r = clipped[i];
        if (shared_) {
            // Only the last asks for a completion: the server carries requests out in order.
            const bool last = i + 1 == clipped.size();
            const xcb_void_cookie_t put = xcb_shm_put_image(
                conn.c, window_, gc_, static_cast<std::uint16_t>(frame_.width()),
                static_cast<std::uint16_t>(frame_.height()), static_cast<std::uint16_t>(r.x()),
                static_cast<std::uint16_t>(r.y()), static_cast<std::uint16_t>(r.width()),
                static_cast<std::uint16_t>(r.height()), static_cast<std::int16_t>(r.x()),
                static_cast<std::int16_t>(r.y()), 32, XCB_IMAGE_FORMAT_Z_PIXMAP, last ? 1 : 0,
                shared_->segment, 0);
            if (last) {
                shared_->lastPut = put.sequence;
                unread_ = true;
            }
        } else {
            putSent(r);
        }
    }
    if (rows_.capacity() > (1U << 20)) {
        std::vector<unsigned char>().swap(rows_); // after a whole-window put, give it back
    }
    xcb_flush(conn.c);
    conn.readEvents();
    return conn.alive();
}

void ImagePresenter::putSent(const QRect& r) {
    Connection& conn = connection();
    const std::size_t budget = conn.maxRequestBytes - headerBytes;
    const int columnsPerRequest = static_cast<int>(std::max<std::size_t>(1, budget / 4));
    for (int x = r.left(); x <= r.right(); x += columnsPerRequest) {
        const int width = std::min(columnsPerRequest, r.right() + 1 - x);
        const auto rowBytes = static_cast<std::size_t>(width) * 4;
        const int rowsPerRequest = static_cast<int>(std::max<std::size_t>(1, budget / rowBytes));
        for (int y = r.top(); y <= r.bottom(); y += rowsPerRequest) {
            const int height = std::min(rowsPerRequest, r.bottom() + 1 - y);
            rows_.resize(rowBytes * static_cast<std::size_t>(height));
            for (int row = 0; row < height; ++row) {
                std::memcpy(rows_.data() + rowBytes * static_cast<std::size_t>(row),
                            frame_.constScanLine(y + row) + static_cast<std::ptrdiff_t>(x) * 4,
                            rowBytes);
            }
            xcb_put_image(conn.c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0, 32,
                          static_cast<std::uint32_t>(rows_.size()), rows_.data());
        }
    }
}

} // namespace spanlet::overlayx11
