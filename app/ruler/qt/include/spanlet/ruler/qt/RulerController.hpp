#pragma once

namespace spanlet {

class Mensor;

/// The ruler's view: once attached, it shows the ruler where the model's shown ruler frame
/// says and turns its input into the model's ruler operations.
class RulerController {
public:
    virtual ~RulerController() = default;
    /// Binds the model, which must outlive the binding.
    virtual void attach(Mensor& model) = 0;
    /// Drops the ruler's surface and the model.
    virtual void detach() = 0;
};

} // namespace spanlet
