#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <memory>

#include <spanlet/model/ToolWindows.hpp>
#include <spanlet/shell/WindowPositions.hpp>

class QWidget;

namespace spanlet {

class ToolWindow;

/// The tool windows: one per kind, made on the first request with the content the factory
/// builds for the model, and reused (brought to the front) on every later one. A window the
/// user closed is kept hidden with its content. Positions are remembered across launches.
class ToolWindowRegistry final : public ToolWindows {
public:
    /// Builds the content of a kind's window for the model.
    using ContentFactory = std::function<QWidget*(Windows::Kind, Mensor&)>;
    /// Called with each window once it exists, before it is shown (e.g. to leave it out of
    /// captures).
    using WindowMade = std::function<void(QWidget&)>;

    ToolWindowRegistry(DefaultsStore& store, ContentFactory content, WindowMade made = {});
    ~ToolWindowRegistry() override;
    ToolWindowRegistry(const ToolWindowRegistry&) = delete;
    ToolWindowRegistry& operator=(const ToolWindowRegistry&) = delete;

    void attach(Mensor& model) override;
    /// Does nothing until a model is attached.
    void open(Windows::Kind kind) override;
    void close(Windows::Kind kind) override;

    /// Destroys every window (at quit, before the model goes).
    void destroyAll();

    /// The window of `kind` if it was made.
    [[nodiscard]] QWidget* window(Windows::Kind kind) const;

    /// The title of each kind's window.
    [[nodiscard]] static QString title(Windows::Kind kind);

private:
    ToolWindow& make(Windows::Kind kind);

    WindowPositions positions_;
    ContentFactory content_;
    WindowMade made_;
    Mensor* model_ = nullptr;
    std::map<Windows::Kind, std::unique_ptr<ToolWindow>> open_;
};

} // namespace spanlet
