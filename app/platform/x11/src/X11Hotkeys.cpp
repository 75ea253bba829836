#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QObject>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <spanlet/x11/X11Hotkeys.hpp>

#include "QtXcb.hpp"
#include "XcbReply.hpp"
#include "XcbRequests.hpp"

namespace spanlet {

namespace {

using x11::defaultRoot;
using x11::qtConnection;

using x11::roundTrip;
using x11::XcbReply;

constexpr xcb_keysym_t numLockKeysym = 0xFF7F; // XK_Num_Lock
// Event kinds of the XKB extension (its first byte after the response type).
constexpr std::uint8_t xkbNewKeyboardNotify = 0;
constexpr std::uint8_t xkbMapNotify = 1;

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* symbols) const noexcept { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter>;

// The event number of the XKB extension's events, or 0 without it. Qt selects keymap events
// of XKB on its connection, and the server then sends those instead of core MappingNotify.
std::uint8_t xkbFirstEvent(xcb_connection_t* connection) {
    constexpr std::string_view name = "XKEYBOARD";
    const XcbReply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
        connection,
        xcb_query_extension(connection, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply && reply->present ? reply->first_event : 0;
}

// Every keycode that carries `keysym` in the keymap, unshifted columns first.
std::vector<std::uint8_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<std::uint8_t> keycodes;
    const XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* k = list.get(); k && *k != XCB_NO_SYMBOL; ++k) {
        keycodes.push_back(*k);
    }
    return keycodes;
}

std::uint16_t readNumLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    const XcbReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!reply) {
        return 0;
    }
    const std::span<const std::uint8_t> map(
        xcb_get_modifier_mapping_keycodes(reply.get()),
        static_cast<std::size_t>(xcb_get_modifier_mapping_keycodes_length(reply.get())));
    const std::vector<std::uint8_t> numLock = keycodesOf(symbols, numLockKeysym);
    return HotkeyModifiers::numLockMask(map, reply->keycodes_per_modifier, numLock);
}

} // namespace

class X11Hotkeys::EventFilter final : public QAbstractNativeEventFilter {
public:
    explicit EventFilter(X11Hotkeys& owner) : owner_(owner) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        return eventType == QByteArrayLiteral("xcb_generic_event_t") && owner_.handleEvent(message);
    }

private:
    X11Hotkeys& owner_;
};

X11Hotkeys::X11Hotkeys()
    : context_(std::make_unique<QObject>()), filter_(std::make_unique<EventFilter>(*this)) {
    connection_ = qtConnection();
    if (connection_) {
        root_ = defaultRoot(connection_);
        xkbFirstEvent_ = xkbFirstEvent(connection_);
    }
    if (qGuiApp) {
        qGuiApp->installNativeEventFilter(filter_.get());
    }
}

X11Hotkeys::~X11Hotkeys() {
    // Without the application Qt's connection is gone, and with it every grab.
    if (qGuiApp) {
        releaseAll();
    }
}

void X11Hotkeys::setOnCommand(std::function<void(MensorCommand)> handler) {
    onCommand_ = std::move(handler);
}

void X11Hotkeys::setOnStatusChanged(std::function<void()> handler) {
    onUnavailableChanged_ = std::move(handler);
}

void X11Hotkeys::registerCommands(std::span<const Binding> bindings) {
    releaseAll();
    ++generation_;
    commands_.clear();
    shortcuts_.clear();
    for (const Binding& b : bindings) {
        commands_.push_back(b.command);
        shortcuts_.push_back(b.shortcut);
    }
    grabAll();
}

void X11Hotkeys::unregisterAll() {
    releaseAll();
    ++generation_;
    commands_.clear();
    shortcuts_.clear();
    setUnavailable({});
}

X11Hotkeys::Plan X11Hotkeys::plan() const {
    const KeySymbols symbols(xcb_key_symbols_alloc(connection_));
    Plan planned{{}, readNumLockMask(connection_, symbols.get())};
    for (std::size_t i = 0; i < commands_.size(); ++i) {
        const Shortcut& combination = shortcuts_[i];
        Held held{{0, HotkeyModifiers::x11Mask(combination.modifiers), i}, {}};
        if (const auto keysym = HotkeyModifiers::keysymOfKey(combination.key)) {
            const std::vector<std::uint8_t> keycodes = keycodesOf(symbols.get(), *keysym);
            held.grab.keycode = keycodes.empty() ? 0 : keycodes.front();
        }
        if (held.grab.keycode != 0) {
            held.variants = HotkeyModifiers::lockVariants(held.grab.modifiers, planned.numLockMask);
        }
        planned.grabs.push_back(std::move(held));
    }
    return planned;
}

void X11Hotkeys::grabAll() {
    if (!connection_ || root_ == XCB_WINDOW_NONE) {
        setUnavailable(commands_);
        return;
    }
    Plan planned = plan();
    numLockMask_ = planned.numLockMask;

    // Send every grab first and check the answers afterwards: one round trip for them all.
    struct Attempt {
        HotkeyModifiers::Grab grab;
        std::vector<std::pair<std::uint16_t, xcb_void_cookie_t>> requests;
    };
    std::vector<Attempt> attempts;
    for (const Held& wanted : planned.grabs) {
        Attempt attempt{wanted.grab, {}};
        for (std::uint16_t variant : wanted.variants) {
            // Not owner_events: presses are reported on the root even while one of our
            // own windows has the focus, so they reach the filter below.
            attempt.requests.emplace_back(
                variant, xcb_grab_key_checked(connection_, 0, root_, variant, wanted.grab.keycode,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
        attempts.push_back(std::move(attempt));
    }

    std::vector<MensorCommand> failed;
    bool undone = false;
    for (Attempt& attempt : attempts) {
        bool taken = attempt.grab.keycode == 0;
        std::vector<std::uint16_t> granted;
        for (const auto& [variant, cookie] : attempt.requests) {
            // BadAccess: another client holds this combination in this lock state.
            const XcbReply<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
            if (error) {
                taken = true;
            } else {
                granted.push_back(variant);
            }
        }
        if (taken) {
            // Half a combination would work only with some lock keys on: give it all back.
            for (std::uint16_t variant : granted) {
                xcb_ungrab_key(connection_, attempt.grab.keycode, root_, variant);
                undone = true;
            }
            failed.push_back(commands_[attempt.grab.index]);
        } else {
            held_.push_back({attempt.grab, std::move(granted)});
        }
    }
    if (undone) {
        roundTrip(connection_); // released combinations are free for others on return
    }
    setUnavailable(std::move(failed));
}

void X11Hotkeys::releaseAll() {
    if (connection_ && !held_.empty()) {
        for (const Held& h : held_) {
            for (std::uint16_t variant : h.variants) {
                xcb_ungrab_key(connection_, h.grab.keycode, root_, variant);
            }
        }
        roundTrip(connection_);
    }
    held_.clear();
    repeats_.reset();
}

void X11Hotkeys::setUnavailable(std::vector<MensorCommand> unavailable) {
    if (unavailable == unavailable_) {
        return;
    }
    unavailable_ = std::move(unavailable);
    if (auto notify = onUnavailableChanged_) {
        notify();
    }
}

void X11Hotkeys::keymapChanged() {
    if (commands_.empty() || regrabPending_) {
        return;
    }
    // A keymap change arrives as a burst of events: grab again once, after the burst.
    regrabPending_ = true;
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
            regrabPending_ = false;
            if (!commands_.empty() && !grabsStillMatch()) {
                releaseAll();
                grabAll();
            }
        },
        Qt::QueuedConnection);
}

bool X11Hotkeys::grabsStillMatch() const {
    // The server reports a keymap change also when the keyboard that typed last changes (a
    // second keyboard, or xdotool's XTEST device), with the same keys as before. Releasing the
    // grabs then would drop a shortcut pressed while they are given back and taken again.
    if (!unavailable_.empty()) {
        return false; // worth another try: a combination may have come free
    }
    const Plan planned = plan();
    return planned.numLockMask == numLockMask_ && planned.grabs == held_;
}

bool X11Hotkeys::handleEvent(const void* message) {
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7FU;
    const bool synthetic = (event->response_type & 0x80U) != 0;

    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = static_cast<const xcb_mapping_notify_event_t*>(message);
        if (mapping->request != XCB_MAPPING_POINTER) {
            keymapChanged();
        }
        return false; // Qt updates its own keymap from it too
    }
    if (xkbFirstEvent_ != 0 && type == xkbFirstEvent_) {
        // The XKB event kind is the byte after the response type.
        const std::uint8_t kind = event->pad0;
        if (kind == xkbNewKeyboardNotify || kind == xkbMapNotify) {
            keymapChanged();
        }
        return false;
    }
    if (synthetic || (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)) {
        return false;
    }
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->event != root_) {
        return false;
    }
    if (type == XCB_KEY_RELEASE) {
        return repeats_.release(key->detail, key->time);
    }

    std::vector<HotkeyModifiers::Grab> grabs;
    grabs.reserve(held_.size());
    for (const Held& h : held_) {
        grabs.push_back(h.grab);
    }
    const std::optional<std::size_t> index =
        HotkeyModifiers::match(grabs, key->detail, key->state, numLockMask_);
    if (!index || *index >= commands_.size()) {
        return false;
    }
    if (!repeats_.press(key->detail, key->time)) {
        return true; // the server's auto-repeat of a key still held
    }
    // Run the command from the event loop rather than inside Qt's event dispatch.
    QMetaObject::invokeMethod(
        context_.get(),
        [this, command = commands_[*index], generation = generation_] {
            if (generation == generation_ && onCommand_) {
                auto handler = onCommand_;
                handler(command);
            }
        },
        Qt::QueuedConnection);
    return true;
}

} // namespace spanlet
