#include <QPointer>
#include <QWidget>
#include <memory>

#include <spanlet/views/ToolViews.hpp>

#include "ColorsView.hpp"
#include "ExplainerView.hpp"
#include "MeasurementsView.hpp"
#include "SettingsView.hpp"
#include "WelcomeView.hpp"

namespace spanlet {

QWidget* makeToolView(Windows::Kind kind, ViewContext& context, QWidget* parent) {
    // The view closes its window through the registry, or else closes the top-level widget it
    // sits in; it learns which widget that is once it has been made.
    auto self = std::make_shared<QPointer<QWidget>>();
    auto close = [&context, kind, self] {
        if (context.closeWindow) {
            context.closeWindow(kind);
        } else if (!self->isNull()) {
            (*self)->window()->close();
        }
    };
    QWidget* view = nullptr;
    switch (kind) {
    case Windows::Kind::welcome:
        view = new views::WelcomeView(context.model, context.hotkeys, context.permission, close,
                                      context.openMenu, context.overlayTakesClicks, parent);
        break;
    case Windows::Kind::settings:
        view = new views::SettingsView(context.model, context.permission, context.hotkeys,
                                       context.loginItem, context.clipboard, parent);
        break;
    case Windows::Kind::colors:
        view = new views::ColorsView(context.model, parent);
        break;
    case Windows::Kind::measurements:
        view = new views::MeasurementsView(context.model, parent);
        break;
    case Windows::Kind::explainer:
        view = new views::ExplainerView(context.model, context.permission, close, parent);
        break;
    }
    *self = view;
    return view;
}

} // namespace spanlet
