#include <type_traits>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerAction.hpp>

namespace spanlet {

void perform(Mensor& model, const RulerAction& action) {
    std::visit(
        [&model](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, RulerAction::MoveRuler>) {
                model.ruler().move(a.to);
            } else if constexpr (std::is_same_v<A, RulerAction::SetRulerLength>) {
                model.ruler().setLength(a.length);
            } else if constexpr (std::is_same_v<A, RulerAction::ToggleRuler>) {
                model.ruler().toggle();
            } else if constexpr (std::is_same_v<A, RulerAction::ToggleRulerOrientation>) {
                model.ruler().toggleOrientation();
            } else if constexpr (std::is_same_v<A, RulerAction::AddGuide>) {
                model.guides().add(a.axis, a.at);
            } else if constexpr (std::is_same_v<A, RulerAction::ToggleUnit>) {
                model.toggleUnit();
            }
        },
        action.value);
}

} // namespace spanlet
