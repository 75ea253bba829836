#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include <spanlet/shell/ToolWindow.hpp>
#include <spanlet/shell/ToolWindowRegistry.hpp>
#include <spanlet/views/ToolViewInfo.hpp>

namespace spanlet {

namespace {

/// The screen a remembered position lies on, if it still exists.
QScreen* screenAt(QPoint topLeft) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(topLeft)) {
            return screen;
        }
    }
    return nullptr;
}

} // namespace

ToolWindowRegistry::ToolWindowRegistry(DefaultsStore& store, ContentFactory content,
                                       WindowMade made)
    : positions_(store), content_(std::move(content)), made_(std::move(made)) {}

ToolWindowRegistry::~ToolWindowRegistry() {
    destroyAll();
}

QString ToolWindowRegistry::title(Windows::Kind kind) {
    const std::string_view text = toolViewTitle(kind);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ToolWindowRegistry::attach(Mensor& model) {
    model_ = &model;
}

QWidget* ToolWindowRegistry::window(Windows::Kind kind) const {
    const auto found = open_.find(kind);
    return found == open_.end() ? nullptr : found->second.get();
}

ToolWindow& ToolWindowRegistry::make(Windows::Kind kind) {
    auto window = std::make_unique<ToolWindow>(content_(kind, *model_));
    window->setWindowTitle(title(kind));
    window->setObjectName(QString::fromUtf8(Windows::rawValue(kind)));
    window->adjustSize();
    const auto remembered = positions_.position(kind);
    const QPoint rememberedPoint = remembered ? QPoint(static_cast<int>(std::lround(remembered->x)),
                                                       static_cast<int>(std::lround(remembered->y)))
                                              : QPoint();
    if (remembered && screenAt(rememberedPoint)) {
        window->move(rememberedPoint);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window->size());
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->setHiddenHandler([this, kind](QPoint topLeft) {
        positions_.remember(kind, Point{double(topLeft.x()), double(topLeft.y())});
    });
    if (made_) {
        made_(*window);
    }
    auto& result = *window;
    open_.emplace(kind, std::move(window));
    return result;
}

void ToolWindowRegistry::open(Windows::Kind kind) {
    if (!model_) {
        return;
    }
    auto found = open_.find(kind);
    ToolWindow& window = found == open_.end() ? make(kind) : *found->second;
    window.show();
    window.raise();
    window.activateWindow();
}

void ToolWindowRegistry::destroyAll() {
    for (auto& [kind, window] : open_) {
        window->hide(); // remembers where it was
    }
    open_.clear();
    model_ = nullptr;
}

void ToolWindowRegistry::close(Windows::Kind kind) {
    if (auto found = open_.find(kind); found != open_.end()) {
        found->second->close();
    }
}

} // namespace spanlet
