#include "OverlayDesk.hpp"

#include <QApplication>
#include <algorithm>
#include <cstdlib>

#include "ModelFixture.hpp"
#include "support/Scene.hpp"

namespace spanlet::test {

namespace {

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

} // namespace

PlainWindow::PlainWindow(const QRect& device, std::uint32_t rgb) {
    connection_ = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    const std::uint32_t values[] = {rgb, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_KEY_PRESS |
                                             XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root,
                      static_cast<std::int16_t>(device.x()), static_cast<std::int16_t>(device.y()),
                      static_cast<std::uint16_t>(device.width()),
                      static_cast<std::uint16_t>(device.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection_, window_);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

PlainWindow::~PlainWindow() {
    xcb_destroy_window(connection_, window_);
    xcb_flush(connection_);
    xcb_disconnect(connection_);
}

bool PlainWindow::pressed() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7F) == XCB_BUTTON_PRESS) {
            pressed_ = true;
        }
        std::free(event);
    }
    return pressed_;
}

void PlainWindow::focus() {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void OverlayDesk::SetUp() {
    connection_ = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection_), 0);
    if (wantsCompositor()) {
        compositor_ = Background({"xcompmgr"});
        ASSERT_TRUE(waitUntil([this] { return compositorRunning(connection_); }));
    } else {
        ASSERT_FALSE(compositorRunning(connection_));
    }
    desktop = std::make_unique<PlainWindow>(QRect(0, 0, 2304, 800), desktopGrey);
    side = std::make_unique<x11::SideConnection>();
    displays = std::make_unique<X11DisplayPort>(*side);
    ASSERT_EQ(displays->displays().size(), 2U);
    for (const X11DisplayPort::Display& d : displays->displays()) {
        // A dark box at local (100, 100)–(300, 250) for the edge detector to find.
        platform.capture.addScreen(d.info.id, d.info.frame.size(), d.info.scale.factor(),
                                   testing::boxScene({100, 100, 200, 150}, d.info.scale.factor()));
    }
    surfaces = std::make_unique<X11Surfaces>(own, *side);
    host = std::make_unique<X11OverlayHost>(*displays, *surfaces);
    overlays = std::make_unique<HostedOverlay>(*host, *displays);
}

void OverlayDesk::TearDown() {
    model.reset();
    overlays.reset();
    host.reset();
    surfaces.reset();
    displays.reset();
    side.reset();
    desktop.reset();
    settle();
    compositor_.stop();
    if (connection_) {
        xcb_disconnect(connection_);
    }
}

Mensor& OverlayDesk::start(Preferences prefs) {
    prefs.welcomed = true;
    const MensorPorts ports{
        platform.clock,     *displays,          platform.capture,     platform.permission,
        platform.clipboard, platform.announcer, platform.preferences, platform.windows,
        platform.hotkeys,   *overlays,          platform.sampler};
    model = std::make_unique<Mensor>(ports, std::move(prefs));
    overlays->attach(*model);
    model->start();
    settle();
    return *model;
}

std::uint32_t OverlayDesk::idA() const {
    return displays->displays().at(0).info.id;
}
std::uint32_t OverlayDesk::idB() const {
    return displays->displays().at(1).info.id;
}

X11DisplayPort::Display OverlayDesk::display(std::uint32_t id) const {
    for (const X11DisplayPort::Display& d : displays->displays()) {
        if (d.info.id == id) {
            return d;
        }
    }
    ADD_FAILURE() << "no display " << id;
    return {};
}

QPoint OverlayDesk::device(std::uint32_t id, Point local) const {
    const X11DisplayPort::Display d = display(id);
    const double s = d.info.scale.factor();
    return {static_cast<int>(d.deviceFrame.x + local.x * s),
            static_cast<int>(d.deviceFrame.y + local.y * s)};
}

Point OverlayDesk::global(std::uint32_t id, Point local) const {
    const Rect f = display(id).info.frame;
    return {f.x + local.x, f.y + local.y};
}

void OverlayDesk::pointTo(std::uint32_t id, Point local) {
    const QPoint p = device(id, local);
    ASSERT_TRUE(xdotool({"mousemove", std::to_string(p.x()), std::to_string(p.y())}));
    ASSERT_TRUE(waitUntil([&] {
        const Point at = displays->pointerLocation();
        const Point want = global(id, local);
        return std::abs(at.x - want.x) < 1 && std::abs(at.y - want.y) < 1;
    }));
    if (model) {
        model->syncViews();
    }
    settle();
}

QImage OverlayDesk::screenshot() const {
    const auto image =
        reply(xcb_get_image_reply(connection_,
                                  xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                rootOf(connection_), 0, 0, 2304, 800, ~0U),
                                  nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < 2304 * 800 * 4) {
        return {};
    }
    return QImage(xcb_get_image_data(image.get()), 2304, 800, QImage::Format_RGB32).copy();
}

bool OverlayDesk::panelsAbove(xcb_window_t window) const {
    const auto tree = reply(xcb_query_tree_reply(
        connection_, xcb_query_tree(connection_, rootOf(connection_)), nullptr));
    if (!tree) {
        return false;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int n = xcb_query_tree_children_length(tree.get());
    int windowAt = -1;
    int lowestPanel = n;
    for (int i = 0; i < n; ++i) {
        if (children[i] == window) {
            windowAt = i;
        }
        for (x11::OverlayPanel* p : host->panels()) {
            if (p->isVisible() && children[i] == static_cast<xcb_window_t>(p->winId())) {
                lowestPanel = std::min(lowestPanel, i);
            }
        }
    }
    return windowAt >= 0 && lowestPanel < n && lowestPanel > windowAt;
}

} // namespace spanlet::test
