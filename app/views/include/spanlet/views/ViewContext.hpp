#pragma once

#include <functional>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/ToolWindows.hpp>
#include <spanlet/platform/Clipboard.hpp>
#include <spanlet/platform/PermissionPort.hpp>
#include <spanlet/views/HotkeyStatus.hpp>
#include <spanlet/views/LoginItem.hpp>

class QWidget;

namespace spanlet {

/// What the tool views work on, filled by the shell. Everything referenced must outlive every
/// view made from it.
struct ViewContext {
    Mensor& model;
    /// The screen-recording permission (where it stands, request, the desktop's grant action).
    PermissionPort& permission;
    /// Where the global shortcuts stand: who binds them, which another application holds, what
    /// the desktop bound.
    HotkeyStatus& hotkeys;
    /// Where the views copy text the user asks for.
    Clipboard& clipboard;
    /// Starting at login (AutostartEntry on the desktop).
    LoginItem& loginItem;
    /// Closes the tool window of a kind (the registry's close). Empty: a view closes the
    /// top-level widget it sits in.
    std::function<void(Windows::Kind)> closeWindow;
    /// Opens the application's menu (the tray icon's) under `anchor`, the control that asked
    /// for it. Empty: the welcome view shows no menu control.
    std::function<void(QWidget& anchor)> openMenu;
    /// Whether the overlay takes the pointer while snapping (Wayland, where a client sees the
    /// pointer only over its own surfaces): a click keeps the measurement, Escape ends
    /// snapping. The welcome view says so.
    bool overlayTakesClicks = false;
};

} // namespace spanlet
