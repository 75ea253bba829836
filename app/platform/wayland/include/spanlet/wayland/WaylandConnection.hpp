#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_subcompositor;
struct wl_shm;
struct wl_seat;
struct zxdg_output_manager_v1;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct zwlr_data_control_manager_v1;
struct wp_viewporter;
struct xdg_wm_base;

namespace spanlet::wayland {

class Outputs;

/// The compositor's globals this back end binds; null where the compositor lacks one.
struct Globals {
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr; ///< for the overlay's floating parts
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    zxdg_output_manager_v1* xdgOutputManager = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;
    std::uint32_t screencopyVersion = 0;
    zwlr_data_control_manager_v1* dataControl = nullptr;
    wp_viewporter* viewporter = nullptr;
    xdg_wm_base* wmBase = nullptr; ///< for popups of the overlay (its menu)
    /// Whether the compositor offers KWin's own protocols (org_kde_kwin_*): the session is
    /// KWin's, whose screenshot interface may stand in for screencopy.
    bool kwin = false;
};

/// Whether the compositor offers what this back end needs to measure: wl_compositor, wl_shm, a
/// seat, xdg-output, layer shell and screencopy. Data control and the viewporter are optional
/// (copying then falls back; overlays on outputs of fractional scale are then scaled by the
/// compositor).
bool offersWlrootsProtocols(const Globals& globals);

/// Spanlet's own connection to the compositor (not Qt's): the bound globals and the outputs,
/// kept up to date as outputs come and go. Everything runs on the thread that dispatches it.
class WaylandConnection {
public:
    /// Why connect() gave nothing.
    enum class Failure {
        /// No compositor listens there, or the connection broke.
        unreachable,
        /// It took the connection but did not answer within the wait: stopped or hung.
        silent,
    };
    /// How long connect() waits for each answer of the compositor. Generous: KWin reads a
    /// client's whole executable before it answers (to match it with desktop entries), which
    /// took over 2 s for an unstripped build on a busy machine.
    static constexpr std::chrono::seconds answerWait{5};

    /// Connects to `name` (a socket name or path; nullptr: $WAYLAND_DISPLAY), binds the globals
    /// and waits until every output has described itself. Nothing when it cannot connect, or
    /// the compositor does not answer within answerWait; then `failure`, when given, says which.
    static std::unique_ptr<WaylandConnection> connect(const char* name = nullptr,
                                                      Failure* failure = nullptr);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    [[nodiscard]] wl_display* display() const noexcept { return display_; }
    [[nodiscard]] const Globals& globals() const noexcept { return globals_; }
    [[nodiscard]] Outputs& outputs() noexcept { return *outputs_; }
    [[nodiscard]] const Outputs& outputs() const noexcept { return *outputs_; }

    /// The socket to watch for readability; then call dispatch().
    [[nodiscard]] int fd() const;
    /// Reads what the compositor sent, runs its handlers and sends what they queued (see send),
    /// without blocking. False once the connection is broken.
    bool dispatch();
    /// Dispatches, waiting for the compositor, until `done` holds or `timeout` passes; whether
    /// it holds. For start-up, tests and the few places that must wait.
    bool dispatchUntil(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(5));
    /// Runs the handlers of events already read and sends what is queued (see send), without
    /// reading.
    void flush();
    /// Sends the requests queued so far, now or, while a Batch is open, when it closes.
    void send();
    /// Requests made while one is open go out together when the last one closes: one message,
    /// and one wake-up of the compositor, where each would otherwise be sent on its own. What
    /// asks the compositor for something over another channel (D-Bus) while one is open must
    /// flush the display first, or its call overtakes the requests it relies on.
    class Batch {
    public:
        explicit Batch(WaylandConnection& connection) : connection_(connection) {
            ++connection_.batches_;
        }
        ~Batch() {
            if (--connection_.batches_ == 0) {
                connection_.send();
            }
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        WaylandConnection& connection_;
    };
    /// Waits until the compositor has handled every request sent so far, or `timeout` passed;
    /// whether it has.
    bool roundtrip(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    /// Runs `task` on a later dispatch, after the compositor answered a sync: a completion that
    /// must not run inside the call that asked for it.
    void post(std::function<void()> task);
    /// Whether the connection still works.
    [[nodiscard]] bool ok() const;

    /// The seat's capabilities (wl_seat.capability bits) as last announced.
    [[nodiscard]] std::uint32_t seatCapabilities() const noexcept { return seatCapabilities_; }
    /// `handler` runs whenever the seat announces its capabilities (a pointer or keyboard
    /// appears or goes), until removed with the number this returns.
    int addSeatHandler(std::function<void()> handler);
    void removeSeatHandler(int id);

private:
    WaylandConnection() = default;
    void afterDispatch();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    std::unique_ptr<Outputs> outputs_;
    struct Posted;
    std::vector<std::unique_ptr<Posted>> posted_; ///< tasks waiting for their sync
    std::uint32_t seatCapabilities_ = 0;
    std::vector<std::pair<int, std::function<void()>>> seatHandlers_;
    int nextSeatHandler_ = 0;
    int batches_ = 0; ///< open Batch objects

    friend struct RegistryListener;
};

} // namespace spanlet::wayland
