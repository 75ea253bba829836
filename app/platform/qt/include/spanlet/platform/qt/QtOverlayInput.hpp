#pragma once

#include <Qt>

#include <spanlet/platform/OverlayHost.hpp>

class QKeyEvent;

namespace spanlet {

/// The key as the overlay's input reports it: named keys, letters by key (Control or Alt would
/// turn the text into something else), and the modifiers held.
OverlayKeyPress overlayKeyPress(const QKeyEvent& event);

/// The overlay button of a Qt mouse button.
OverlayButton overlayButton(Qt::MouseButton button);

/// The Qt cursor shape of an overlay cursor.
Qt::CursorShape cursorShape(OverlayCursor cursor);

} // namespace spanlet
