#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <spanlet/x11/SideConnection.hpp>

#include "QtXcb.hpp"
#include "XcbReply.hpp"
#include "XcbRequests.hpp"

namespace spanlet::x11 {

namespace {

constexpr std::size_t largestRequest = 4 << 20; // bytes; bounds a presenter's packing buffer

} // namespace

SideConnection::SideConnection() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    root_ = defaultRoot(connection_);
    // In 4-byte units, with BIG-REQUESTS if the server has it.
    maxRequestBytes_ = std::min<std::size_t>(
        static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4, largestRequest);
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
    sharedMemory_ = shm != nullptr && shm->present != 0;
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        if (drain(true) && onMotionSettled_) {
            onMotionSettled_();
        }
    });
    report_ = std::make_unique<QTimer>();
    report_->setSingleShot(true);
    report_->setInterval(0);
    QObject::connect(report_.get(), &QTimer::timeout, report_.get(), [this] { reportMapped(); });
}

SideConnection::~SideConnection() {
    report_.reset();
    notifier_.reset();
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool SideConnection::alive() const {
    return connection_ != nullptr && xcb_connection_has_error(connection_) == 0;
}

void SideConnection::readEvents() {
    drain(true);
}

void SideConnection::readQueued() {
    drain(false);
}

bool SideConnection::drain(bool readSocket) {
    if (connection_ == nullptr) {
        return false;
    }
    bool motion = false;
    EventReader events(connection_, readSocket);
    while (xcb_generic_event_t* event = events.next()) {
        learn(event->full_sequence);
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && onMapped_) {
            mapped_.push_back(reinterpret_cast<const xcb_map_notify_event_t*>(event)->window);
        } else if (onMotion_ && isPointerMotion(event)) {
            motion = true;
            onMotion_();
        }
        std::free(event);
    }
    scheduleReport();
    return motion;
}

void SideConnection::scheduleReport() {
    // Reported from the event loop: this may run inside a pointer query or a present.
    if (!mapped_.empty() && !report_->isActive()) {
        report_->start();
    }
}

void SideConnection::reportMapped() {
    const std::vector<std::uint32_t> windows = std::move(mapped_);
    mapped_.clear();
    for (const std::uint32_t window : windows) {
        if (onMapped_) {
            onMapped_(window);
        }
    }
}

void SideConnection::sync() {
    if (connection_ == nullptr) {
        return;
    }
    const xcb_get_input_focus_cookie_t cookie = xcb_get_input_focus(connection_);
    std::free(xcb_get_input_focus_reply(connection_, cookie, nullptr));
    learn(cookie.sequence);
    readEvents();
}

bool SideConnection::isPointerMotion(const void* event) const {
    const auto* generic = static_cast<const xcb_ge_generic_event_t*>(event);
    return (generic->response_type & 0x7F) == XCB_GE_GENERIC && generic->extension == input_ &&
           generic->event_type == XCB_INPUT_RAW_MOTION;
}

bool SideConnection::carriedOutUpTo(unsigned int sequence) const {
    return static_cast<int>(sequence - carriedOut_) <= 0;
}

void SideConnection::learn(unsigned int sequence) {
    if (static_cast<int>(sequence - carriedOut_) > 0) {
        carriedOut_ = sequence;
    }
}

void SideConnection::setOnWindowMapped(std::function<void(std::uint32_t)> handler) {
    const bool watching = static_cast<bool>(onMapped_);
    onMapped_ = std::move(handler);
    if (connection_ == nullptr || watching == static_cast<bool>(onMapped_)) {
        return;
    }
    // This connection's own event mask on the root: it does not replace the one Qt keeps.
    const std::uint32_t mask = onMapped_ ? XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY : 0;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    if (!onMapped_) {
        mapped_.clear();
    }
}

bool SideConnection::setOnPointerMotion(std::function<void()> handler,
                                        std::function<void()> settled) {
    if (connection_ == nullptr) {
        return false;
    }
    if (input_ == 0) {
        // The server sends XInput 2 events only to a client that said which version it speaks;
        // from 2.1 on, raw motion comes even while another client grabs the pointer.
        const xcb_query_extension_reply_t* input =
            xcb_get_extension_data(connection_, &xcb_input_id);
        const XcbReply<xcb_input_xi_query_version_reply_t> version(
            input != nullptr && input->present != 0
                ? xcb_input_xi_query_version_reply(
                      connection_, xcb_input_xi_query_version(connection_, 2, 1), nullptr)
                : nullptr);
        const bool usable =
            version && (version->major_version > 2 ||
                        (version->major_version == 2 && version->minor_version >= 1));
        input_ = usable ? input->major_opcode : -1;
    }
    if (input_ < 0) {
        onMotion_ = nullptr;
        onMotionSettled_ = nullptr;
        return false;
    }
    const bool watching = static_cast<bool>(onMotion_);
    onMotion_ = std::move(handler);
    onMotionSettled_ = onMotion_ ? std::move(settled) : nullptr;
    if (watching != static_cast<bool>(onMotion_)) {
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t bits;
        } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
               onMotion_ ? std::uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0U};
        xcb_input_xi_select_events(connection_, root_, 1, &mask.head);
        xcb_flush(connection_);
    }
    return true;
}

} // namespace spanlet::x11
