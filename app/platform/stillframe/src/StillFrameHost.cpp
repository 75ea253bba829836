#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <cmath>
#include <utility>

#include <spanlet/platform/qt/QtOverlayInput.hpp>
#include <spanlet/screen/Desktop.hpp>
#include <spanlet/stillframe/FrameWindow.hpp>
#include <spanlet/stillframe/ScreenDisplays.hpp>
#include <spanlet/stillframe/StillFrameHost.hpp>
#include <spanlet/stillframe/StillFrames.hpp>

namespace spanlet::stillframe {

namespace {

// Menus and message boxes are widgets: only in an application that has them.
bool widgetsAvailable() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The device pixels that cover `r` (points) at `scale`.
QRect deviceCover(const Rect& r, double scale) {
    const auto left = static_cast<int>(std::floor(r.x * scale));
    const auto top = static_cast<int>(std::floor(r.y * scale));
    const auto right = static_cast<int>(std::ceil(r.maxX() * scale));
    const auto bottom = static_cast<int>(std::ceil(r.maxY() * scale));
    return {left, top, right - left, bottom - top};
}

} // namespace

struct StillFrameHost::Panel {
    ScreenInfo screen;
    QImage canvas; ///< the overlay's pixels, device pixels of the display
    std::unique_ptr<FrameWindow> window;
};

void StillFrameHost::refusalBox(const std::string& message) {
    if (!widgetsAvailable()) {
        return;
    }
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Spanlet"),
        QStringLiteral("Spanlet could not capture the screen, so there is nothing to measure on."),
        QMessageBox::Ok);
    box->setInformativeText(QString::fromStdString(message));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

StillFrameHost::StillFrameHost(ScreenDisplays& displays, StillFrames& frames,
                               std::unique_ptr<FrameSource> source, ShowRefusal showRefusal)
    : displays_(displays), frames_(frames), source_(std::move(source)),
      showRefusal_(std::move(showRefusal)) {}

StillFrameHost::~StillFrameHost() = default;

void StillFrameHost::bind(OverlayPaint paint, OverlayInput* input) {
    paint_ = std::move(paint);
    input_ = input;
}

void StillFrameHost::rebuild(const std::vector<ScreenInfo>& screens) {
    // A frame of other displays is no use: the session starts again on the new ones.
    if (state_ != State::off) {
        end();
    }
    panels_.clear();
    screens_ = screens;
    for (const ScreenInfo& screen : screens) {
        QScreen* qscreen = displays_.screen(screen.id);
        if (qscreen == nullptr) {
            continue;
        }
        auto panel = std::make_unique<Panel>();
        panel->screen = screen;
        const double s = screen.scale.factor();
        panel->canvas = QImage(static_cast<int>(std::ceil(screen.frame.width * s)),
                               static_cast<int>(std::ceil(screen.frame.height * s)),
                               QImage::Format_ARGB32_Premultiplied);
        panel->canvas.fill(Qt::transparent);
        const std::uint32_t id = screen.id;
        FrameWindow::Events events{
            [this, id](Point at) {
                displays_.pointerSeen(at);
                if (input_ != nullptr) {
                    input_->pointerMoved(id, at);
                }
            },
            [this, id](Point at, OverlayButton button) {
                displays_.pointerSeen(at);
                if (input_ != nullptr) {
                    input_->buttonPressed(id, at, button);
                }
            },
            [this, id](Point at, OverlayButton button) {
                if (input_ != nullptr) {
                    input_->buttonReleased(id, at, button);
                }
            },
            [this, id](const QKeyEvent& event) { key(id, event); },
        };
        panel->window = std::make_unique<FrameWindow>(qscreen, screen.frame.origin(), panel->canvas,
                                                      std::move(events));
        panel->window->setCursor(QCursor(cursorShape(cursor_)));
        panels_.emplace(id, std::move(panel));
    }
    settle();
}

double StillFrameHost::scale(std::uint32_t displayId) const {
    const auto found = panels_.find(displayId);
    return found == panels_.end() ? 1.0 : found->second->screen.scale.factor();
}

void StillFrameHost::update(std::uint32_t displayId, const OverlayUpdate& changes) {
    const auto found = panels_.find(displayId);
    if (found == panels_.end() || changes.damage.empty()) {
        return;
    }
    Panel& panel = *found->second;
    if (paint_) {
        paint_(displayId,
               {panel.canvas.bits(), panel.canvas.width(), panel.canvas.height(),
                panel.canvas.bytesPerLine(), panel.screen.scale.factor(), false},
               changes.damage);
    }
    for (const Rect& r : changes.damage) {
        panel.window->markDirty(deviceCover(r, panel.screen.scale.factor()));
    }
}

void StillFrameHost::setShown(bool shown) {
    shown_ = shown;
    settle();
}

void StillFrameHost::setMode(OverlayInputMode mode) {
    mode_ = mode;
    settle();
}

void StillFrameHost::setCursor(OverlayCursor cursor) {
    cursor_ = cursor;
    for (auto& [id, panel] : panels_) {
        panel->window->setCursor(QCursor(cursorShape(cursor)));
    }
}

void StillFrameHost::settle() {
    if (!shown_ || mode_ == OverlayInputMode::idle) {
        if (state_ != State::off) {
            end();
        }
        return;
    }
    // After a refusal the session waits for the mode to end rather than ask again.
    if (state_ == State::off) {
        grab();
    }
}

void StillFrameHost::grab() {
    state_ = State::grabbing;
    const unsigned generation = ++generation_;
    frames_.expect();
    hideWindows();
    // Posted, so that the compositor takes our windows off the screen before it is copied.
    QMetaObject::invokeMethod(
        &context_,
        [this, generation] {
            if (generation != generation_) {
                return;
            }
            source_->grab(screens_,
                          [this, generation, alive = std::weak_ptr<int>(life_)](FrameResult r) {
                              if (!alive.expired()) {
                                  arrived(generation, std::move(r));
                              }
                          });
        },
        Qt::QueuedConnection);
}

void StillFrameHost::arrived(unsigned generation, FrameResult result) {
    if (generation != generation_ || state_ != State::grabbing) {
        return;
    }
    if (auto* frames = std::get_if<std::vector<DisplayFrame>>(&result)) {
        frames_.set(screens_, *frames);
        state_ = State::showing;
        for (auto& [id, panel] : panels_) {
            const StillFrames::Frame* frame = frames_.frame(id);
            panel->window->setFrame(frame != nullptr ? &frame->image : nullptr);
            panel->window->showOnDisplay();
        }
        return;
    }
    const std::string message = std::get<FrameRefusal>(result).message;
    state_ = State::refused;
    frames_.refuse(message);
    if (showRefusal_) {
        showRefusal_(message);
    }
    // Nothing to measure on: the mode ends as Escape ends it.
    if (input_ != nullptr && !panels_.empty()) {
        OverlayKeyPress escape;
        escape.key = OverlayKey::escape;
        input_->keyPressed(panels_.begin()->first, escape);
    }
}

void StillFrameHost::end() {
    ++generation_;
    state_ = State::off;
    hideWindows();
    for (auto& [id, panel] : panels_) {
        panel->window->setFrame(nullptr);
    }
    frames_.drop();
}

void StillFrameHost::refresh() {
    if (state_ != State::showing) {
        return;
    }
    for (auto& [id, panel] : panels_) {
        panel->window->setFrame(nullptr);
    }
    grab();
}

void StillFrameHost::hideWindows() {
    for (auto& [id, panel] : panels_) {
        panel->window->hide();
    }
}

void StillFrameHost::key(std::uint32_t displayId, const QKeyEvent& event) {
    if (event.key() == Qt::Key_F5 && event.modifiers() == Qt::NoModifier) {
        refresh();
        return;
    }
    if (input_ != nullptr) {
        input_->keyPressed(displayId, overlayKeyPress(event));
    }
}

StillFrameHost::Panel* StillFrameHost::panelAt(Point at) const {
    if (const std::optional<ScreenInfo> screen = Desktop::screenContaining(at, screens_)) {
        if (const auto found = panels_.find(screen->id); found != panels_.end()) {
            return found->second.get();
        }
    }
    return panels_.empty() ? nullptr : panels_.begin()->second.get();
}

void StillFrameHost::showMenu(Point at, std::vector<std::string> titles,
                              std::function<void(std::size_t)> chosen) {
    Panel* panel = panelAt(at);
    if (panel == nullptr || !panel->window->isVisible() || !widgetsAvailable()) {
        return;
    }
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto shared = std::make_shared<std::function<void(std::size_t)>>(std::move(chosen));
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (titles[i].empty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(titles[i]));
        QObject::connect(action, &QAction::triggered, menu, [shared, i] { (*shared)(i); });
    }
    // A popup of the display's window, which Wayland places relative to it.
    menu->winId();
    menu->windowHandle()->setTransientParent(panel->window.get());
    menu->popup(QPoint(static_cast<int>(std::lround(at.x)), static_cast<int>(std::lround(at.y))));
}

FrameWindow* StillFrameHost::window(std::uint32_t displayId) const {
    const auto found = panels_.find(displayId);
    return found == panels_.end() ? nullptr : found->second->window.get();
}

} // namespace spanlet::stillframe
