#pragma once

#include <QWidget>
#include <cstdint>

#include <spanlet/platform/OverlayHost.hpp>

namespace spanlet::x11 {

struct PanelClient;

/// The input of one overlay panel, which only the guide editor takes: turns Qt's mouse and key
/// events into OverlayInput calls and shows the cursor it is given. It paints nothing; the
/// panel paints. Accessible as a group named "Guides editor".
class PanelInput : public QWidget {
    Q_OBJECT
public:
    /// `client` must outlive the widget.
    PanelInput(const PanelClient& client, std::uint32_t screenId, QWidget* parent);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    const PanelClient& client_;
    std::uint32_t screenId_;
};

} // namespace spanlet::x11
