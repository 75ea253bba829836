#pragma once

#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/platform/PanelHost.hpp>
#include <spanlet/ruler/RulerInput.hpp>
#include <spanlet/ruler/RulerView.hpp>
#include <spanlet/ruler/qt/RulerController.hpp>

namespace spanlet {

/// The ruler on a panel the back end hosts (PanelHost): laid out and painted by the shared
/// renderer into the panel's canvas, placed on the model's shown ruler frame, its input turned
/// into the model's ruler operations through RulerInput. Repaints are coalesced to once per
/// event-loop turn and skipped when the drawing did not change.
class HostedRuler final : public RulerController, private PanelInput {
public:
    explicit HostedRuler(std::unique_ptr<PanelHost> host);
    ~HostedRuler() override;
    HostedRuler(const HostedRuler&) = delete;
    HostedRuler& operator=(const HostedRuler&) = delete;

    void attach(Mensor& model) override;
    void detach() override;

    /// What the panel shows; empty while the ruler is hidden.
    [[nodiscard]] const draw::DrawList& drawList() const noexcept { return shown_; }

private:
    void pointerMoved(Point at) override;
    void buttonPressed(Point at, OverlayButton button) override;
    void buttonReleased(Point at, OverlayButton button) override;
    void pointerLeft() override;
    void keyPressed(const OverlayKeyPress& key) override;

    /// Hides the panel for no frame, else shows it on the frame rounded to whole points.
    void place(const std::optional<Rect>& frame);
    void scheduleRepaint();
    void repaintNow();
    void paint(const OverlayCanvas& canvas, std::span<const Rect> rects);
    [[nodiscard]] RulerView view() const;
    /// The ruler's context menu at `at` (global points).
    void showMenu(Point at);
    /// The cursor for the pointer at `at` while no drag runs.
    void hover(Point at);

    std::unique_ptr<PanelHost> host_;
    Mensor* model_ = nullptr;
    std::unique_ptr<RulerInput> input_;
    draw::QPainterBackend renderer_;
    draw::DrawList shown_;
    std::optional<Rect> placed_; ///< the frame shown, whole points
    std::optional<std::chrono::steady_clock::time_point> lastPress_;
    Point lastPressAt_;
    int clicks_ = 0; ///< of the press in progress, counted as a double click makes them
    QTimer repaint_; ///< single shot, at once: one repaint per event-loop turn
    std::vector<Subscription> subscriptions_;
};

} // namespace spanlet
