#include "CaptureConnection.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/shape.h>
#include <xcb/shm.h>
#include <xcb/xfixes.h>

#include "XcbReply.hpp"
#include "XcbRequests.hpp"

namespace spanlet::x11 {

namespace {

constexpr std::size_t kWallpaperLayer = std::numeric_limits<std::size_t>::max();
// Tries per capture: with the cached stack, with a fresh one, and with a fresh one leaving out
// the windows that failed; then the capture is given up.
constexpr int kAttempts = 3;
// Our windows sit at most this deep under a window manager's frames.
constexpr int kMaxNesting = 16;
// The shared segment for images: a round of strips and a loupe square, even on an 8K display,
// is a small part of it.
constexpr std::size_t kSegmentBytes = std::size_t{1} << 20;

bool isStructureEvent(std::uint8_t type) {
    switch (type) {
    case XCB_CREATE_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
    case XCB_GRAVITY_NOTIFY:
    case XCB_CIRCULATE_NOTIFY:
        return true;
    default:
        return false;
    }
}

// The window a structure event is about.
xcb_window_t structureWindow(const xcb_generic_event_t* event, std::uint8_t type) {
    switch (type) {
    case XCB_CREATE_NOTIFY:
        return reinterpret_cast<const xcb_create_notify_event_t*>(event)->window;
    case XCB_DESTROY_NOTIFY:
        return reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window;
    case XCB_MAP_NOTIFY:
        return reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
    case XCB_UNMAP_NOTIFY:
        return reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window;
    case XCB_CONFIGURE_NOTIFY:
        return reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
    default:
        return XCB_WINDOW_NONE; // reparenting, gravity, circulation: a look at the stack
    }
}

} // namespace

CaptureConnection::CaptureConnection() {
    connect();
}

CaptureConnection::~CaptureConnection() {
    // The segment detaches itself through the connection.
    segment_.reset();
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

void CaptureConnection::connect() {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        problem_ = "Can’t connect to the X server";
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    auto screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_screen_t* screen = screens.data;
    root_ = screen->root;
    rootRect_ = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    rootVisual_ = screen->root_visual;
    rootDepth_ = screen->root_depth;
    msbFirst_ = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f)) {
        bitsPerPixel_[f.data->depth] = f.data->bits_per_pixel;
    }
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
            visuals_[v.data->visual_id] = *v.data;
        }
    }

    const xcb_query_extension_reply_t* composite =
        xcb_get_extension_data(connection_, &xcb_composite_id);
    if (!composite || !composite->present) {
        problem_ = "The X server has no Composite extension";
        return;
    }
    const XcbReply<xcb_composite_query_version_reply_t> version(xcb_composite_query_version_reply(
        connection_, xcb_composite_query_version(connection_, 0, 4), nullptr));
    // Automatic redirection: the server keeps drawing the windows, and each keeps its own
    // contents, which GetImage on the window reads even where another window lies over it.
    const XcbReply<xcb_generic_error_t> redirectError(
        xcb_request_check(connection_, xcb_composite_redirect_subwindows_checked(
                                           connection_, root_, XCB_COMPOSITE_REDIRECT_AUTOMATIC)));
    if (!version || redirectError) {
        problem_ = "The X server refused to redirect windows";
        return;
    }
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
    if (shm != nullptr && shm->present != 0) {
        segment_ =
            SharedSegment::make(connection_, kSegmentBytes, SharedSegment::Access::serverWrites);
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (damage != nullptr && damage->present != 0) {
        const XcbReply<xcb_damage_query_version_reply_t> damageVersion(
            xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1),
                                           nullptr));
        if (damageVersion) {
            damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        }
    }
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection_, &xcb_shape_id);
    shapeAvailable_ = shape && shape->present;

    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    wallpaperAtoms_[0] = internAtom(connection_, "_XROOTPMAP_ID");
    wallpaperAtoms_[1] = internAtom(connection_, "ESETROOT_PMAP_ID");
    std::string compositor = "_NET_WM_CM_S";
    compositor += std::to_string(screenNumber);
    compositorAtom_ = internAtom(connection_, compositor);
    // A compositor starting or stopping changes how translucent windows show; hear about it.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes && xfixes->present && compositorAtom_ != XCB_ATOM_NONE) {
        std::free(xcb_xfixes_query_version_reply(
            connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
        xcb_xfixes_select_selection_input(
            connection_, root_, compositorAtom_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xfixesEvent_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    }
    xcb_flush(connection_);
}

void CaptureConnection::drainEvents(bool readSocket) {
    EventReader events(connection_, readSocket);
    while (xcb_generic_event_t* raw = events.next()) {
        const XcbReply<xcb_generic_event_t> event(raw);
        const std::uint8_t type = event->response_type & 0x7f;
        if (damageEvent_ != 0 && type == damageEvent_) {
            const auto* damage = reinterpret_cast<const xcb_damage_notify_event_t*>(raw);
            // Emptied, so that the next change is reported too; one after this is in what
            // is read from now on, since the server carries out our requests in order.
            xcb_damage_subtract(connection_, damage->damage, XCB_NONE, XCB_NONE);
            forgetDamaged(damage->drawable, raw->full_sequence);
        } else if (isStructureEvent(type) && isOwn(structureWindow(raw, type))) {
            // One of ours came, went or moved (the floating loupe on every move): no capture
            // shows it, and the stack of the others is as it was.
        } else if (isStructureEvent(type) || (xfixesEvent_ != 0 && type == xfixesEvent_)) {
            stackDirty_ = true;
            changed_ = true;
            kept_.clear();
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(raw);
            if (property->atom == wallpaperAtoms_[0] || property->atom == wallpaperAtoms_[1]) {
                wallpaperDirty_ = true;
                changed_ = true;
                kept_.clear();
            }
        }
    }
}

bool CaptureConnection::isOwn(xcb_window_t window) const {
    return window != XCB_WINDOW_NONE && (ownTopLevels_.count(window) != 0 ||
                                         (ownSource_ != nullptr && ownSource_->contains(window)));
}

void CaptureConnection::forgetDamaged(xcb_drawable_t drawable, unsigned int sequence) {
    // A change reported while the server carried out a request sent before the drawable was
    // last read (such as the report of the whole of it that a new watch starts with) is in
    // that read.
    const auto read = readAt_.find(drawable);
    const bool sinceRead = read != readAt_.end() && std::int32_t(sequence - read->second) >= 0;
    const auto window = std::find_if(windows_.begin(), windows_.end(),
                                     [drawable](const Window& w) { return w.id == drawable; });
    if (window == windows_.end()) {
        kept_.clear(); // the wallpaper, or a window the stack no longer shows
        changed_ = changed_ || sinceRead;
        return;
    }
    kept_.forget(window->area.boundingRect());
    changed_ = changed_ || (sinceRead && window->area.intersects(lastRead_));
}

int CaptureConnection::socket() const {
    return connection_ != nullptr ? xcb_get_file_descriptor(connection_) : -1;
}

bool CaptureConnection::takeChanges() {
    if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) {
        return true;
    }
    drainEvents(true);
    // What the socket brought is newer than any pointer read.
    readUpToPointer_ = false;
    xcb_flush(connection_); // the damage taken in is subtracted, so that more is reported
    return std::exchange(changed_, false);
}

void CaptureConnection::watch(xcb_window_t window) {
    if (damageEvent_ == 0 || watched_.count(window) != 0) {
        return;
    }
    const xcb_damage_damage_t damage = xcb_generate_id(connection_);
    xcb_damage_create(connection_, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    watched_.emplace(window, damage);
}

void CaptureConnection::unwatchWindows() {
    for (const auto& [window, damage] : watched_) {
        xcb_damage_destroy(connection_, damage);
    }
    watched_.clear();
    readAt_.clear();
}

void CaptureConnection::unwatchWallpaper() {
    if (wallpaperWatch_ != XCB_NONE) {
        xcb_damage_destroy(connection_, wallpaperWatch_);
        wallpaperWatch_ = XCB_NONE;
    }
}

std::optional<QPoint> CaptureConnection::queryPointer() {
    if (connection_ == nullptr || !problem_.empty() || xcb_connection_has_error(connection_) != 0) {
        return std::nullopt;
    }
    const XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
    if (!pointer) {
        return std::nullopt;
    }
    // Every report the server made before it read the pointer came before the answer, and has
    // been read with it: captures at this pointer need not read the socket for news.
    readUpToPointer_ = true;
    return QPoint(pointer->root_x, pointer->root_y);
}

void CaptureConnection::forgetKept() {
    kept_.clear();
    if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) {
        return;
    }
    unwatchWindows();
    if (wallpaperWatch_ != XCB_NONE) {
        unwatchWallpaper();
        wallpaperDirty_ = true; // watched again with the next capture
    }
    xcb_flush(connection_);
}

bool CaptureConnection::layoutFor(xcb_visualid_t visual, std::uint8_t depth,
                                  PixelLayout& layout) const {
    const auto format = bitsPerPixel_.find(depth);
    const auto type = visuals_.find(visual);
    if (format == bitsPerPixel_.end() || format->second != 32 || type == visuals_.end() ||
        type->second._class != XCB_VISUAL_CLASS_TRUE_COLOR) {
        return false;
    }
    layout.redMask = type->second.red_mask;
    layout.greenMask = type->second.green_mask;
    layout.blueMask = type->second.blue_mask;
    const std::uint32_t colour = layout.redMask | layout.greenMask | layout.blueMask;
    const std::uint32_t depthBits = depth >= 32 ? 0xffffffffu : (1u << depth) - 1;
    layout.alphaMask = depthBits & ~colour;
    layout.msbFirst = msbFirst_;
    return true;
}

void CaptureConnection::refreshStack() {
    stackDirty_ = false;
    ownDirty_ = true;
    windows_.clear();
    // Watched again as captures read them. Some are gone already; the errors that brings are
    // read and dropped with the events.
    unwatchWindows();
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (!tree) {
        return;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (int i = 0; i < count; ++i) {
        attributes.push_back(xcb_get_window_attributes(connection_, children[i]));
        geometries.push_back(xcb_get_geometry(connection_, children[i]));
    }
    const xcb_get_selection_owner_cookie_t owner =
        xcb_get_selection_owner(connection_, compositorAtom_);

    // Query-tree lists bottom first; keep the viewable windows we can read, top first.
    std::vector<Window> bottomFirst;
    for (int i = 0; i < count; ++i) {
        const XcbReply<xcb_get_window_attributes_reply_t> attr(
            xcb_get_window_attributes_reply(connection_, attributes[std::size_t(i)], nullptr));
        const XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, geometries[std::size_t(i)], nullptr));
        if (!attr || !geometry || attr->map_state != XCB_MAP_STATE_VIEWABLE ||
            attr->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            continue;
        }
        Window window;
        window.id = children[i];
        if (!layoutFor(attr->visual, geometry->depth, window.layout)) {
            continue;
        }
        const int border = geometry->border_width;
        window.origin = QPoint(geometry->x + border, geometry->y + border);
        window.area = QRegion(geometry->x, geometry->y, geometry->width + 2 * border,
                              geometry->height + 2 * border);
        window.hasAlpha = window.layout.alphaMask != 0;
        bottomFirst.push_back(std::move(window));
    }
    const XcbReply<xcb_get_selection_owner_reply_t> ownerReply(
        xcb_get_selection_owner_reply(connection_, owner, nullptr));
    composited_ = ownerReply && ownerReply->owner != XCB_WINDOW_NONE;

    if (shapeAvailable_) {
        // Non-rectangular windows show only inside their bounding shape.
        std::vector<xcb_shape_query_extents_cookie_t> extents;
        for (const Window& w : bottomFirst) {
            extents.push_back(xcb_shape_query_extents(connection_, w.id));
        }
        std::vector<std::pair<std::size_t, xcb_shape_get_rectangles_cookie_t>> shapes;
        for (std::size_t i = 0; i < bottomFirst.size(); ++i) {
            const XcbReply<xcb_shape_query_extents_reply_t> e(
                xcb_shape_query_extents_reply(connection_, extents[i], nullptr));
            if (e && e->bounding_shaped) {
                shapes.emplace_back(i, xcb_shape_get_rectangles(connection_, bottomFirst[i].id,
                                                                XCB_SHAPE_SK_BOUNDING));
            }
        }
        for (const auto& [i, cookie] : shapes) {
            const XcbReply<xcb_shape_get_rectangles_reply_t> r(
                xcb_shape_get_rectangles_reply(connection_, cookie, nullptr));
            if (!r) {
                continue;
            }
            QRegion shape;
            const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(r.get());
            for (int k = 0; k < xcb_shape_get_rectangles_rectangles_length(r.get()); ++k) {
                shape += QRect(rects[k].x, rects[k].y, rects[k].width, rects[k].height)
                             .translated(bottomFirst[i].origin);
            }
            bottomFirst[i].area &= shape;
        }
    }
    windows_.assign(bottomFirst.rbegin(), bottomFirst.rend());
}

void CaptureConnection::refreshOwnTopLevels(const OwnWindows& own) {
    const OwnWindows::Snapshot snapshot = own.snapshot();
    if (!ownDirty_ && ownSource_ == &own && ownGeneration_ == snapshot.generation) {
        return;
    }
    ownDirty_ = false;
    ownSource_ = &own;
    ownGeneration_ = snapshot.generation;
    ownTopLevels_.clear();
    // Under a window manager our windows sit inside its frames: leave out the whole top-level
    // window that holds each of them. Walk up all of them one level per round trip.
    std::vector<xcb_window_t> current = snapshot.windows;
    for (int level = 0; level < kMaxNesting && !current.empty(); ++level) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (xcb_window_t w : current) {
            cookies.push_back(xcb_query_tree(connection_, w));
        }
        std::vector<xcb_window_t> next;
        for (std::size_t i = 0; i < current.size(); ++i) {
            const XcbReply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection_, cookies[i], nullptr));
            if (!tree) {
                continue; // gone
            }
            if (tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
                ownTopLevels_.insert(current[i]);
            } else {
                next.push_back(tree->parent);
            }
        }
        current = std::move(next);
    }
}

void CaptureConnection::refreshWallpaper() {
    wallpaperDirty_ = false;
    wallpaper_ = {};
    unwatchWallpaper();
    for (xcb_atom_t atom : wallpaperAtoms_) {
        if (atom == XCB_ATOM_NONE) {
            continue;
        }
        const XcbReply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, atom, XCB_ATOM_PIXMAP, 0, 1),
            nullptr));
        if (!property || property->format != 32 ||
            xcb_get_property_value_length(property.get()) < 4) {
            continue;
        }
        xcb_pixmap_t pixmap = XCB_PIXMAP_NONE;
        std::memcpy(&pixmap, xcb_get_property_value(property.get()), sizeof pixmap);
        const XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, pixmap), nullptr));
        if (!geometry || geometry->width == 0 || geometry->height == 0) {
            continue;
        }
        // A pixmap has no visual; the root's is the one it is drawn for.
        PixelLayout layout;
        if (geometry->depth != rootDepth_ || !layoutFor(rootVisual_, rootDepth_, layout)) {
            continue;
        }
        layout.alphaMask = 0;
        wallpaper_ = {pixmap, QSize(geometry->width, geometry->height), layout};
        if (damageEvent_ != 0) {
            // A setter may draw a new wallpaper into the same pixmap.
            wallpaperWatch_ = xcb_generate_id(connection_);
            xcb_damage_create(connection_, wallpaperWatch_, pixmap,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        }
        return;
    }
}

void CaptureConnection::refresh(bool readSocket) {
    drainEvents(readSocket);
    if (stackDirty_) {
        refreshStack();
    }
    if (wallpaperDirty_) {
        refreshWallpaper();
    }
}

CaptureConnection::Pending CaptureConnection::send(const CaptureRequest& request,
                                                   const std::unordered_set<xcb_window_t>& skip,
                                                   const std::function<void()>& beforeRead) {
    if (request.ownWindows) {
        refreshOwnTopLevels(*request.ownWindows);
    } else {
        ownTopLevels_.clear();
    }
    Pending pending;
    pending.device = request.device;
    pending.target = request.device.intersected(request.displayFrame).intersected(rootRect_);
    for (const Window& w : windows_) {
        // Only the few windows that reach the target take part in planning: the region
        // arithmetic over every window of the desktop cost more than the reading.
        // A window that failed after a fresh look at the stack is left out: what lies beneath
        // it is read instead.
        if (!w.area.boundingRect().intersects(pending.target) || ownTopLevels_.count(w.id) ||
            skip.count(w.id)) {
            continue;
        }
        // Without a compositor the server shows ARGB windows' colours as they are (the
        // transparent parts black); with one, they are blended over what is beneath.
        pending.layers.push_back({w.id, w.area, w.hasAlpha && composited_});
        pending.sources.push_back(&w);
        watch(w.id); // before its pixels are read: a change after that is reported
    }
    const Plan plan = planCapture(pending.target, pending.layers);
    if (beforeRead) {
        beforeRead();
    }
    for (std::size_t p = 0; p < plan.pieces.size(); ++p) {
        const Window& w = *pending.sources[plan.pieces[p].layer];
        for (const QRect& r : plan.pieces[p].region) {
            pending.readings.push_back(ask(w.id, w.origin, r, plan.pieces[p].layer));
        }
    }
    if (wallpaper_.pixmap != XCB_PIXMAP_NONE) {
        // The root tiles its background pixmap from the top-left corner.
        const int tw = wallpaper_.size.width();
        const int th = wallpaper_.size.height();
        for (const QRect& r : plan.uncovered) {
            for (int ty = r.top() / th * th; ty <= r.bottom(); ty += th) {
                for (int tx = r.left() / tw * tw; tx <= r.right(); tx += tw) {
                    const QRect part = r.intersected(QRect(tx, ty, tw, th));
                    if (part.isEmpty()) {
                        continue;
                    }
                    pending.readings.push_back(
                        ask(wallpaper_.pixmap, QPoint(tx, ty), part, kWallpaperLayer));
                }
            }
        }
    }
    return pending;
}

CaptureConnection::Reading CaptureConnection::ask(xcb_drawable_t drawable, const QPoint& origin,
                                                  const QRect& bounds, std::size_t layer) {
    const QPoint at = bounds.topLeft() - origin;
    const auto x = std::int16_t(at.x());
    const auto y = std::int16_t(at.y());
    const auto width = std::uint16_t(bounds.width());
    const auto height = std::uint16_t(bounds.height());
    const std::size_t bytes = std::size_t{width} * height * 4;
    if (segment_ && bytes <= segment_->size() - segmentUsed_) {
        // The server writes the pixels into our memory and replies with their size only: no
        // pixel goes through the socket, and the replies come in one piece.
        const std::size_t offset = segmentUsed_;
        segmentUsed_ += bytes;
        const xcb_shm_get_image_cookie_t cookie = xcb_shm_get_image(
            connection_, drawable, x, y, width, height, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
            segment_->id(), static_cast<std::uint32_t>(offset));
        noteRead(drawable, cookie.sequence);
        return {cookie, offset, bounds, layer};
    }
    const xcb_get_image_cookie_t cookie =
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, x, y, width, height, ~0u);
    noteRead(drawable, cookie.sequence);
    return {cookie, 0, bounds, layer};
}

void CaptureConnection::noteRead(xcb_drawable_t drawable, unsigned int sequence) {
    if (damageEvent_ != 0) {
        readAt_[drawable] = sequence;
    }
}

std::span<const std::uint8_t> CaptureConnection::await(const Reading& reading,
                                                       XcbReply<void>& owner) {
    xcb_generic_error_t* error = nullptr;
    std::span<const std::uint8_t> data;
    if (const auto* shared = std::get_if<xcb_shm_get_image_cookie_t>(&reading.cookie)) {
        const XcbReply<xcb_shm_get_image_reply_t> r(
            xcb_shm_get_image_reply(connection_, *shared, &error));
        if (r) {
            data = {segment_->bits() + reading.sharedAt,
                    std::min<std::size_t>(r->size, segment_->size() - reading.sharedAt)};
        }
    } else {
        XcbReply<xcb_get_image_reply_t> r(xcb_get_image_reply(
            connection_, std::get<xcb_get_image_cookie_t>(reading.cookie), &error));
        if (r) {
            data = {xcb_get_image_data(r.get()), std::size_t(xcb_get_image_data_length(r.get()))};
            owner.reset(r.release());
        }
    }
    std::free(error);
    return data;
}

std::optional<PixelBuffer> CaptureConnection::receive(Pending& pending,
                                                      std::unordered_set<xcb_window_t>& failed,
                                                      bool lastAttempt) {
    // Collect every reply before drawing, so one vanished window means one retry.
    bool complete = true;
    std::vector<XcbReply<void>> owners(pending.readings.size());
    std::vector<std::span<const std::uint8_t>> images;
    images.reserve(pending.readings.size());
    for (std::size_t i = 0; i < pending.readings.size(); ++i) {
        const Reading& reading = pending.readings[i];
        std::span<const std::uint8_t> data = await(reading, owners[i]);
        const std::size_t stride = std::size_t(reading.bounds.width()) * 4;
        if (data.size() < stride * std::size_t(reading.bounds.height())) {
            data = {};
            if (reading.layer == kWallpaperLayer) {
                // A wallpaper freed under us: look it up again, and on the last try do without
                // (black).
                wallpaperDirty_ = true;
                complete = complete && lastAttempt;
            } else {
                failed.insert(pending.sources[reading.layer]->id);
                stackDirty_ = true;
                complete = false;
            }
        }
        images.push_back(data);
    }
    if (!complete) {
        return std::nullopt;
    }

    Canvas canvas(pending.device);
    // Where nothing covers the display and the wallpaper can't be read, the capture shows black
    // rather than whatever (possibly our own drawing) the root window holds.
    canvas.fill(QRegion(pending.target), RGBA::black);
    // The wallpaper first, then the windows from the bottom up as planned.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < pending.readings.size(); ++i) {
            const Reading& reading = pending.readings[i];
            const bool isWallpaper = reading.layer == kWallpaperLayer;
            if (isWallpaper != (pass == 0) || images[i].empty()) {
                continue;
            }
            const ServerImage image{images[i], std::size_t(reading.bounds.width()) * 4,
                                    reading.bounds};
            if (isWallpaper) {
                canvas.draw(reading.bounds, image, wallpaper_.layout, false);
            } else {
                canvas.draw(reading.bounds, image, pending.sources[reading.layer]->layout,
                            pending.layers[reading.layer].translucent);
            }
        }
    }
    return std::move(canvas).take();
}

CaptureResult<PixelBuffer> CaptureConnection::capture(const CaptureRequest& request,
                                                      const std::function<void()>& beforeRead) {
    return std::move(captureAll({request}, beforeRead).front());
}

std::vector<CaptureResult<PixelBuffer>>
CaptureConnection::captureAll(const std::vector<CaptureRequest>& requests,
                              const std::function<void()>& beforeRead) {
    std::vector<CaptureResult<PixelBuffer>> results(
        requests.size(), CaptureResult<PixelBuffer>(ScreenCapture::Error{problem_}));
    if (!problem_.empty()) {
        return results;
    }
    if (xcb_connection_has_error(connection_)) {
        results.assign(requests.size(), ScreenCapture::Error{std::string(
                                            "The connection to the X server was lost")});
        return results;
    }
    std::vector<std::size_t> open;
    open.reserve(requests.size());
    const bool keeping = damageEvent_ != 0;
    // Kept captures are checked against every report the server has sent: up to the pointer's
    // reading when it was read here just now, else what a read of the socket brings. The server
    // flushes its output to every client at once before it waits again, so a change whose maker
    // has heard back from the server is in our socket; one still on its way is for the next
    // measurement. Without keeping, the reports tell the read below of the stack.
    const bool readSocket = !std::exchange(readUpToPointer_, false);
    if (keeping) {
        drainEvents(readSocket);
    }
    // What is read now sees every change heard of so far.
    changed_ = false;
    lastRead_ = QRegion();
    for (const CaptureRequest& request : requests) {
        lastRead_ += request.device;
    }
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const OwnWindows* own = requests[i].ownWindows.get();
        if (own != keptOwn_ || (own != nullptr && own->generation() != keptOwnGeneration_)) {
            kept_.clear(); // kept with other windows of ours left out
            keptOwn_ = own;
            keptOwnGeneration_ = own != nullptr ? own->generation() : 0;
        }
        const PixelBuffer* kept =
            keeping ? kept_.find(requests[i].device, requests[i].displayFrame) : nullptr;
        if (kept != nullptr) {
            results[i] = *kept;
        } else {
            open.push_back(i);
        }
    }
    // Every request is sent before any reply is awaited: one round trip for the lot.
    std::vector<std::unordered_set<xcb_window_t>> failed(requests.size());
    for (int attempt = 0; attempt < kAttempts && !open.empty(); ++attempt) {
        const bool last = attempt + 1 == kAttempts;
        // Sources point into the window list: it is refreshed only between attempts. The first
        // sees what was just read.
        refresh(attempt > 0 || (!keeping && readSocket));
        segmentUsed_ = 0; // every image of the last attempt has been read
        std::vector<Pending> pendings;
        const std::unordered_set<xcb_window_t> none;
        for (const std::size_t i : open) {
            pendings.push_back(send(requests[i], last ? failed[i] : none, beforeRead));
        }
        std::vector<std::size_t> again;
        for (std::size_t k = 0; k < open.size(); ++k) {
            const std::size_t i = open[k];
            if (std::optional<PixelBuffer> pixels = receive(pendings[k], failed[i], last)) {
                if (keeping && failed[i].empty()) {
                    kept_.keep(requests[i].device, requests[i].displayFrame, pendings[k].target,
                               *pixels);
                }
                results[i] = std::move(*pixels);
            } else if (last) {
                results[i] = ScreenCapture::Error{ScreenCapture::Failure::noImage};
            } else {
                again.push_back(i);
            }
        }
        open = std::move(again);
    }
    return results;
}

} // namespace spanlet::x11
