#include <type_traits>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerAction.hpp>

namespace spanlet {

void perform(Mensor& model, const RulerAction& action) {
    std::visit(
        [&model](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, RulerAction::MoveRuler>) {
                model.moveRuler(a.to);
            } else if constexpr (std::is_same_v<A, RulerAction::SetRulerLength>) {
                model.setRulerLength(a.length);
            } else if constexpr (std::is_same_v<A, RulerAction::ToggleRuler>) {
                model.toggleRuler();
            } else if constexpr (std::is_same_v<A, RulerAction::ToggleRulerOrientation>) {
                model.toggleRulerOrientation();
            } else if constexpr (std::is_same_v<A, RulerAction::AddGuide>) {
                model.addGuide(a.axis, a.at);
            } else if constexpr (std::is_same_v<A, RulerAction::ToggleUnit>) {
                model.toggleUnit();
            }
        },
        action.value);
}

} // namespace spanlet
