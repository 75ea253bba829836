#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>
#include <wlr-screencopy-unstable-v1-client-protocol.h>
#include <xdg-output-unstable-v1-client-protocol.h>
#include <xdg-shell-client-protocol.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::wayland {

namespace {

template <class T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

bool named(const char* interface, const wl_interface& wanted) {
    return std::strcmp(interface, wanted.name) == 0;
}

} // namespace

struct RegistryListener {
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* c = static_cast<WaylandConnection*>(data);
        Globals& g = c->globals_;
        g.kwin = g.kwin || std::strncmp(interface, "org_kde_kwin_", 13) == 0;
        if (named(interface, wl_output_interface)) {
            c->outputs_->add(bind<wl_output>(registry, name, wl_output_interface, version, 4), name,
                             version);
        } else if (named(interface, wl_compositor_interface) && g.compositor == nullptr) {
            g.compositor = bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
        } else if (named(interface, wl_subcompositor_interface) && g.subcompositor == nullptr) {
            g.subcompositor =
                bind<wl_subcompositor>(registry, name, wl_subcompositor_interface, version, 1);
        } else if (named(interface, wl_shm_interface) && g.shm == nullptr) {
            g.shm = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
        } else if (named(interface, wl_seat_interface) && g.seat == nullptr) {
            g.seat = bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
            wl_seat_add_listener(g.seat, &seatListener, c);
        } else if (named(interface, zxdg_output_manager_v1_interface) &&
                   g.xdgOutputManager == nullptr) {
            g.xdgOutputManager = bind<zxdg_output_manager_v1>(
                registry, name, zxdg_output_manager_v1_interface, version, 3);
            c->outputs_->setXdgOutputManager(g.xdgOutputManager);
        } else if (named(interface, zwlr_layer_shell_v1_interface) && g.layerShell == nullptr) {
            g.layerShell = bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface,
                                                     version, 4);
        } else if (named(interface, zwlr_screencopy_manager_v1_interface) &&
                   g.screencopy == nullptr) {
            g.screencopyVersion = std::min(version, 3U);
            g.screencopy = bind<zwlr_screencopy_manager_v1>(
                registry, name, zwlr_screencopy_manager_v1_interface, version, 3);
        } else if (named(interface, zwlr_data_control_manager_v1_interface) &&
                   g.dataControl == nullptr) {
            g.dataControl = bind<zwlr_data_control_manager_v1>(
                registry, name, zwlr_data_control_manager_v1_interface, version, 2);
        } else if (named(interface, wp_viewporter_interface) && g.viewporter == nullptr) {
            g.viewporter = bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
        } else if (named(interface, xdg_wm_base_interface) && g.wmBase == nullptr) {
            g.wmBase = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 2);
            xdg_wm_base_add_listener(g.wmBase, &wmBaseListener, nullptr);
        }
    }

    static void ping(void* /*data*/, xdg_wm_base* base, std::uint32_t serial) {
        xdg_wm_base_pong(base, serial);
    }
    static constexpr xdg_wm_base_listener wmBaseListener{ping};

    static void capabilities(void* data, wl_seat* /*seat*/, std::uint32_t caps) {
        auto* c = static_cast<WaylandConnection*>(data);
        c->seatCapabilities_ = caps;
        const auto handlers = c->seatHandlers_; // a handler may remove itself
        for (const auto& h : handlers) {
            h.second();
        }
    }
    static void seatName(void* /*data*/, wl_seat* /*seat*/, const char* /*name*/) {}
    static constexpr wl_seat_listener seatListener{capabilities, seatName};

    static void globalRemove(void* data, wl_registry* /*registry*/, std::uint32_t name) {
        static_cast<WaylandConnection*>(data)->outputs_->remove(name);
    }

    static constexpr wl_registry_listener listener{global, globalRemove};
};

bool offersWlrootsProtocols(const Globals& g) {
    return g.compositor != nullptr && g.shm != nullptr && g.seat != nullptr &&
           g.xdgOutputManager != nullptr && g.layerShell != nullptr && g.screencopy != nullptr;
}

std::unique_ptr<WaylandConnection> WaylandConnection::connect(const char* name, Failure* failure) {
    Failure ignored{};
    Failure& why = failure != nullptr ? *failure : ignored;
    why = Failure::unreachable;
    wl_display* display = wl_display_connect(name);
    if (display == nullptr) {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> c(new WaylandConnection);
    c->display_ = display;
    c->outputs_ = std::make_unique<Outputs>();
    c->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(c->registry_, &RegistryListener::listener, c.get());
    // The first round trip announces the globals, the second the outputs' descriptions. A
    // compositor that is stopped still takes connections, so each answer has its deadline.
    if (!c->roundtrip(answerWait) ||
        !c->dispatchUntil([&] { return c->outputs_->settled(); }, answerWait)) {
        if (c->ok()) {
            why = Failure::silent;
        }
        return nullptr;
    }
    c->outputs_->publish();
    return c;
}

WaylandConnection::~WaylandConnection() {
    if (display_ == nullptr) {
        return;
    }
    posted_.clear();
    outputs_.reset();
    if (globals_.wmBase != nullptr) {
        xdg_wm_base_destroy(globals_.wmBase);
    }
    if (globals_.viewporter != nullptr) {
        wp_viewporter_destroy(globals_.viewporter);
    }
    if (globals_.subcompositor != nullptr) {
        wl_subcompositor_destroy(globals_.subcompositor);
    }
    if (globals_.dataControl != nullptr) {
        zwlr_data_control_manager_v1_destroy(globals_.dataControl);
    }
    if (globals_.screencopy != nullptr) {
        zwlr_screencopy_manager_v1_destroy(globals_.screencopy);
    }
    if (globals_.layerShell != nullptr) {
        if (zwlr_layer_shell_v1_get_version(globals_.layerShell) >=
            ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(globals_.layerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(globals_.layerShell));
        }
    }
    if (globals_.xdgOutputManager != nullptr) {
        zxdg_output_manager_v1_destroy(globals_.xdgOutputManager);
    }
    if (globals_.seat != nullptr) {
        wl_seat_destroy(globals_.seat);
    }
    if (globals_.shm != nullptr) {
        wl_shm_destroy(globals_.shm);
    }
    if (globals_.compositor != nullptr) {
        wl_compositor_destroy(globals_.compositor);
    }
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

int WaylandConnection::fd() const {
    return wl_display_get_fd(display_);
}

bool WaylandConnection::ok() const {
    return wl_display_get_error(display_) == 0;
}

void WaylandConnection::afterDispatch() {
    outputs_->publish();
    send();
}

bool WaylandConnection::dispatch() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    wl_display_flush(display_);
    // The socket said it is readable, and libwayland reads without blocking: with nothing there
    // (a round trip elsewhere read it first) this reads nothing and ends the read all the same.
    if (wl_display_read_events(display_) < 0) {
        return false;
    }
    const bool dispatched = wl_display_dispatch_pending(display_) >= 0;
    afterDispatch();
    return dispatched && ok();
}

bool WaylandConnection::dispatchUntil(const std::function<bool()>& done,
                                      std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (!ok()) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        while (wl_display_prepare_read(display_) != 0) {
            wl_display_dispatch_pending(display_);
        }
        if (done()) {
            wl_display_cancel_read(display_);
            break;
        }
        wl_display_flush(display_);
        pollfd p{fd(), POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) > 0) {
            wl_display_read_events(display_);
        } else {
            wl_display_cancel_read(display_);
        }
        wl_display_dispatch_pending(display_);
        afterDispatch();
    }
    afterDispatch();
    return true;
}

int WaylandConnection::addSeatHandler(std::function<void()> handler) {
    seatHandlers_.emplace_back(++nextSeatHandler_, std::move(handler));
    return nextSeatHandler_;
}

void WaylandConnection::removeSeatHandler(int id) {
    std::erase_if(seatHandlers_, [id](const auto& h) { return h.first == id; });
}

void WaylandConnection::send() {
    if (batches_ == 0) {
        wl_display_flush(display_);
    }
}

void WaylandConnection::flush() {
    wl_display_dispatch_pending(display_);
    afterDispatch();
}

bool WaylandConnection::roundtrip(std::chrono::milliseconds timeout) {
    static constexpr wl_callback_listener listener{
        [](void* data, wl_callback* /*callback*/, std::uint32_t /*time*/) {
            *static_cast<bool*>(data) = true;
        }};
    bool answered = false;
    wl_callback* sync = wl_display_sync(display_);
    wl_callback_add_listener(sync, &listener, &answered);
    const bool done = dispatchUntil([&answered] { return answered; }, timeout);
    wl_callback_destroy(sync); // a late answer then goes nowhere
    return done;
}

struct WaylandConnection::Posted {
    WaylandConnection* owner = nullptr;
    std::function<void()> task;
    wl_callback* callback = nullptr;

    ~Posted() { wl_callback_destroy(callback); }

    static void done(void* data, wl_callback* /*callback*/, std::uint32_t /*time*/) {
        auto* p = static_cast<Posted*>(data);
        std::vector<std::unique_ptr<Posted>>& list = p->owner->posted_;
        const auto it =
            std::find_if(list.begin(), list.end(), [p](const auto& q) { return q.get() == p; });
        const std::unique_ptr<Posted> self = std::move(*it);
        list.erase(it);
        self->task();
    }
    static constexpr wl_callback_listener listener{done};
};

void WaylandConnection::post(std::function<void()> task) {
    auto p = std::make_unique<Posted>();
    p->owner = this;
    p->task = std::move(task);
    p->callback = wl_display_sync(display_);
    wl_callback_add_listener(p->callback, &Posted::listener, p.get());
    posted_.push_back(std::move(p));
    wl_display_flush(display_);
}

} // namespace spanlet::wayland
