#pragma once

#include <QWidget>
#include <functional>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/screen/CapturePort.hpp>

class QLabel;
class QPushButton;

namespace spanlet::views {

/// Asks for screen-recording permission before edge snapping is first turned on. Two states:
/// before asking ("Not Now", "Continue") and after a refused request, when it explains how to
/// allow Spanlet ("Not Now", "Open System Settings", "Check Again").
class ExplainerView : public QWidget {
    Q_OBJECT
public:
    /// `done` closes the explainer window.
    ExplainerView(Mensor& model, PermissionPort& permission, std::function<void()> done,
                  QWidget* parent = nullptr);

    [[nodiscard]] bool asked() const noexcept { return asked_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void proceed();
    void checkAgain();
    void setAsked(bool asked);

    Mensor& model_;
    PermissionPort& permission_;
    std::function<void()> done_;
    /// Whether granting is up to the user; false where no permission is needed.
    bool settingsKnown_ = true;
    bool asked_ = false;
    QLabel* notAllowed_ = nullptr;
    QPushButton* notNow_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPushButton* openSettings_ = nullptr;
    QPushButton* checkAgain_ = nullptr;
};

} // namespace spanlet::views
