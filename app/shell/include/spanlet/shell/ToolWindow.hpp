#pragma once

#include <QWidget>
#include <functional>

namespace spanlet {

/// A tool window: titled, closable only, above ordinary windows, fixed in size. Closing only
/// hides it, so it comes back as it was left. Ctrl+W and Escape close it; Ctrl+Shift+W and
/// every other key go on to the default handling.
class ToolWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget* content);

    /// Runs with the frame's top-left corner (global points) whenever the window is hidden:
    /// closed by the user, or taken down at quit.
    void setHiddenHandler(std::function<void(QPoint)> handler) { hidden_ = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::function<void(QPoint)> hidden_;
};

} // namespace spanlet
