#include <cerrno>
#include <csignal>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>

#include <spanlet/wayland/WaylandClipboard.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::wayland {

namespace {

constexpr const char* kTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING",
                                  "TEXT"};

// Writes all of `text` to `fd` (a pipe a reader holds), then closes it. A reader that went away
// ends the write early; that is its business.
void writeAll(int fd, const std::string& text) {
    // A closed pipe must not kill us with SIGPIPE.
    sigset_t pipe;
    sigset_t old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    timespec none{};
    while (sigtimedwait(&pipe, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

} // namespace

struct WaylandClipboard::Listeners {
    // Offers of other clients' selections: we read none, so they go at once.
    static void dataOffer(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {}
    static void selection(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
        if (offer != nullptr) {
            zwlr_data_control_offer_v1_destroy(offer);
        }
    }
    static void finished(void* data, zwlr_data_control_device_v1* device) {
        auto* c = static_cast<WaylandClipboard*>(data);
        zwlr_data_control_device_v1_destroy(device);
        c->device_ = nullptr;
    }
    static void primarySelection(void*, zwlr_data_control_device_v1*,
                                 zwlr_data_control_offer_v1* offer) {
        if (offer != nullptr) {
            zwlr_data_control_offer_v1_destroy(offer);
        }
    }
    static void send(void* data, zwlr_data_control_source_v1*, const char* /*type*/,
                     std::int32_t fd) {
        writeAll(fd, static_cast<WaylandClipboard*>(data)->text_);
    }
    static void cancelled(void* data, zwlr_data_control_source_v1* source) {
        auto* c = static_cast<WaylandClipboard*>(data);
        zwlr_data_control_source_v1_destroy(source);
        if (c->source_ == source) {
            c->source_ = nullptr;
        }
    }
    static constexpr zwlr_data_control_device_v1_listener device{dataOffer, selection, finished,
                                                                 primarySelection};
    static constexpr zwlr_data_control_source_v1_listener source{send, cancelled};
};

WaylandClipboard::WaylandClipboard(WaylandConnection& connection) : connection_(connection) {
    const Globals& g = connection.globals();
    if (g.dataControl != nullptr && g.seat != nullptr) {
        device_ = zwlr_data_control_manager_v1_get_data_device(g.dataControl, g.seat);
        zwlr_data_control_device_v1_add_listener(device_, &Listeners::device, this);
    }
}

WaylandClipboard::~WaylandClipboard() {
    if (source_ != nullptr) {
        zwlr_data_control_source_v1_destroy(source_);
    }
    if (device_ != nullptr) {
        zwlr_data_control_device_v1_destroy(device_);
    }
    wl_display_flush(connection_.display());
}

void WaylandClipboard::setText(const std::string& text) {
    if (device_ == nullptr) {
        return;
    }
    text_ = text;
    zwlr_data_control_source_v1* source =
        zwlr_data_control_manager_v1_create_data_source(connection_.globals().dataControl);
    for (const char* type : kTypes) {
        zwlr_data_control_source_v1_offer(source, type);
    }
    zwlr_data_control_source_v1_add_listener(source, &Listeners::source, this);
    zwlr_data_control_device_v1_set_selection(device_, source);
    // The previous source gets `cancelled` and goes then.
    source_ = source;
    wl_display_flush(connection_.display());
}

} // namespace spanlet::wayland
