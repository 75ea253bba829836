#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <spanlet/x11/SideConnection.hpp>

#include "QtXcb.hpp"

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
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readEvents(); });
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

void SideConnection::drain(bool readSocket) {
    if (connection_ == nullptr) {
        return;
    }
    while (xcb_generic_event_t* event = readSocket ? xcb_poll_for_event(connection_)
                                                   : xcb_poll_for_queued_event(connection_)) {
        learn(event->full_sequence);
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && onMapped_) {
            mapped_.push_back(reinterpret_cast<const xcb_map_notify_event_t*>(event)->window);
        }
        std::free(event);
    }
    scheduleReport();
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

} // namespace spanlet::x11
