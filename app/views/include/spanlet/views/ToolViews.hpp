#pragma once

#include <spanlet/model/ToolWindows.hpp>
#include <spanlet/views/ToolViewInfo.hpp>
#include <spanlet/views/ViewContext.hpp>

class QWidget;

namespace spanlet {

/// The content of the tool window of `kind`, bound to the context's model. The view fixes its
/// own size: the width (and for settings the height) of toolViewFrame(kind), otherwise a height
/// that follows the content and is updated whenever the content changes. Host it in a layout
/// with QLayout::SetFixedSize so the window follows. `context` must outlive the view.
QWidget* makeToolView(Windows::Kind kind, ViewContext& context, QWidget* parent = nullptr);

} // namespace spanlet
