#pragma once

#include <optional>
#include <type_traits>
#include <variant>

#include <spanlet/Geometry.hpp>
#include <spanlet/Guides.hpp>

namespace spanlet {

class Mensor;

/// One model operation the ruler panel asks for, as a value, so that its input handling can be
/// decided and tested without the panel.
struct RulerAction {
    /// Nothing: the input is not the ruler's (a key goes on to the next responder).
    struct None {
        friend bool operator==(const None&, const None&) = default;
    };
    /// moveRuler(to:); `to` is the new top-left corner in global top-left points.
    struct MoveRuler {
        Point to;
        friend bool operator==(const MoveRuler&, const MoveRuler&) = default;
    };
    /// setRulerLength(_:), points; the model clamps and rounds it.
    struct SetRulerLength {
        double length = 0;
        friend bool operator==(const SetRulerLength&, const SetRulerLength&) = default;
    };
    struct ToggleRuler {
        friend bool operator==(const ToggleRuler&, const ToggleRuler&) = default;
    };
    struct ToggleRulerOrientation {
        friend bool operator==(const ToggleRulerOrientation&,
                               const ToggleRulerOrientation&) = default;
    };
    /// addGuide(_:at:); without a point the model uses the current pointer.
    struct AddGuide {
        Axis axis = Axis::vertical;
        std::optional<Point> at;
        friend bool operator==(const AddGuide&, const AddGuide&) = default;
    };
    struct ToggleUnit {
        friend bool operator==(const ToggleUnit&, const ToggleUnit&) = default;
    };

    using Value = std::variant<None, MoveRuler, SetRulerLength, ToggleRuler, ToggleRulerOrientation,
                               AddGuide, ToggleUnit>;

    Value value;

    RulerAction() = default;
    /// Any of the cases above converts to an action.
    template <class Case>
    requires std::is_constructible_v<Value, Case> RulerAction(Case c)
        : value(std::move(c)) {} // NOLINT(google-explicit-constructor)

    [[nodiscard]] bool isNone() const noexcept { return std::holds_alternative<None>(value); }

    friend bool operator==(const RulerAction&, const RulerAction&) = default;
};

/// Carries out `action` on the model; None does nothing.
void perform(Mensor& model, const RulerAction& action);

} // namespace spanlet
