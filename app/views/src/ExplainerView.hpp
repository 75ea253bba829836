#pragma once

#include <QWidget>
#include <functional>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/platform/PermissionPort.hpp>

class QLabel;
class QPushButton;

namespace spanlet::views {

/// Asks for screen-recording permission before edge snapping is first turned on. Two states:
/// before asking ("Not Now", "Continue") and after a refused request, when it explains how to
/// allow Spanlet ("Not Now", the desktop's grant action where it has one, "Check Again"). Where
/// nothing can allow capture in this session it says why and what works instead ("OK").
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
    /// Reads the permission again and shows the texts and buttons that fit it.
    void refresh();
    [[nodiscard]] bool unavailable() const noexcept {
        return access_.state == CaptureAccess::State::unavailable;
    }

    Mensor& model_;
    PermissionPort& permission_;
    std::function<void()> done_;
    CaptureAccess access_;
    bool asked_ = false;
    QLabel* title_ = nullptr;
    QLabel* privacy_ = nullptr;
    QLabel* howToAllow_ = nullptr;
    QLabel* worksWithout_ = nullptr;
    QLabel* notAllowed_ = nullptr;
    QPushButton* notNow_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPushButton* grant_ = nullptr;
    QPushButton* checkAgain_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace spanlet::views
