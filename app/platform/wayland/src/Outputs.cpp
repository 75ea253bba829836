#include <algorithm>
#include <wayland-client-protocol.h>
#include <xdg-output-unstable-v1-client-protocol.h>

#include <spanlet/wayland/Outputs.hpp>

namespace spanlet::wayland {

struct Outputs::Entry {
    Outputs* owner = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    std::uint32_t globalName = 0;
    OutputLayout::Output pending;
    OutputLayout::Output current;
    bool described = false;
};

// The event handlers. wl_output's events up to its `done` (and, with xdg-output below version 3,
// xdg-output's own `done`) describe one consistent state, applied at once.
struct OutputListeners {
    using Entry = Outputs::Entry;

    static void apply(Entry* e) {
        e->current = e->pending;
        e->described = e->pending.logical.width > 0 && e->pending.logical.height > 0;
        e->owner->dirty_ = true;
    }

    static void geometry(void* data, wl_output* /*output*/, int32_t /*x*/, int32_t /*y*/,
                         int32_t /*physicalWidth*/, int32_t /*physicalHeight*/,
                         int32_t /*subpixel*/, const char* /*make*/, const char* /*model*/,
                         int32_t transform) {
        static_cast<Entry*>(data)->pending.transform = transform;
    }
    static void mode(void* data, wl_output* /*output*/, uint32_t flags, int32_t width,
                     int32_t height, int32_t /*refresh*/) {
        if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
            auto* e = static_cast<Entry*>(data);
            e->pending.modeWidth = width;
            e->pending.modeHeight = height;
        }
    }
    static void done(void* data, wl_output* /*output*/) { apply(static_cast<Entry*>(data)); }
    static void scale(void* data, wl_output* /*output*/, int32_t factor) {
        static_cast<Entry*>(data)->pending.integerScale = factor;
    }
    static void name(void* data, wl_output* /*output*/, const char* text) {
        static_cast<Entry*>(data)->pending.name = text;
    }
    static void description(void* /*data*/, wl_output* /*output*/, const char* /*text*/) {}

    static void logicalPosition(void* data, zxdg_output_v1* /*output*/, int32_t x, int32_t y) {
        auto* e = static_cast<Entry*>(data);
        e->pending.logical.x = x;
        e->pending.logical.y = y;
    }
    static void logicalSize(void* data, zxdg_output_v1* /*output*/, int32_t width, int32_t height) {
        auto* e = static_cast<Entry*>(data);
        e->pending.logical.width = width;
        e->pending.logical.height = height;
    }
    static void xdgDone(void* data, zxdg_output_v1* output) {
        if (zxdg_output_v1_get_version(output) < 3) {
            apply(static_cast<Entry*>(data));
        }
    }
    static void xdgName(void* data, zxdg_output_v1* /*output*/, const char* text) {
        static_cast<Entry*>(data)->pending.name = text;
    }
    static void xdgDescription(void* /*data*/, zxdg_output_v1* /*output*/, const char* /*text*/) {}

    static constexpr wl_output_listener output{geometry, mode, done, scale, name, description};
    static constexpr zxdg_output_v1_listener xdgOutput{logicalPosition, logicalSize, xdgDone,
                                                       xdgName, xdgDescription};
};

namespace {

void listenToXdgOutput(Outputs::Entry& e, zxdg_output_manager_v1* manager) {
    if (manager != nullptr && e.xdgOutput == nullptr) {
        e.xdgOutput = zxdg_output_manager_v1_get_xdg_output(manager, e.output);
        zxdg_output_v1_add_listener(e.xdgOutput, &OutputListeners::xdgOutput, &e);
    }
}

void destroy(Outputs::Entry& e) {
    if (e.xdgOutput != nullptr) {
        zxdg_output_v1_destroy(e.xdgOutput);
    }
    if (wl_output_get_version(e.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
        wl_output_release(e.output);
    } else {
        wl_output_destroy(e.output);
    }
}

} // namespace

Outputs::Outputs() = default;

Outputs::~Outputs() {
    for (const auto& e : entries_) {
        destroy(*e);
    }
}

wl_output* Outputs::output(std::uint32_t id) const {
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        if (screens_[i].id == id) {
            return screenOutputs_[i];
        }
    }
    return nullptr;
}

std::optional<ScreenInfo> Outputs::screen(const wl_output* output) const {
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        if (screenOutputs_[i] == output) {
            return screens_[i];
        }
    }
    return std::nullopt;
}

void Outputs::add(wl_output* output, std::uint32_t globalName, std::uint32_t /*version*/) {
    auto e = std::make_unique<Entry>();
    e->owner = this;
    e->output = output;
    e->globalName = globalName;
    e->pending.name = "wl_output-" + std::to_string(globalName);
    wl_output_add_listener(output, &OutputListeners::output, e.get());
    listenToXdgOutput(*e, manager_);
    entries_.push_back(std::move(e));
}

void Outputs::remove(std::uint32_t globalName) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const auto& e) { return e->globalName == globalName; });
    if (it != entries_.end()) {
        destroy(**it);
        entries_.erase(it);
        dirty_ = true;
    }
}

void Outputs::setXdgOutputManager(zxdg_output_manager_v1* manager) {
    manager_ = manager;
    for (const auto& e : entries_) {
        listenToXdgOutput(*e, manager_);
    }
}

bool Outputs::settled() const {
    return std::all_of(entries_.begin(), entries_.end(),
                       [](const auto& e) { return e->described; });
}

void Outputs::publish() {
    if (!dirty_) {
        return;
    }
    dirty_ = false;
    const std::vector<ScreenInfo> before = screens_;
    rebuild();
    if (screens_ != before && changed_) {
        changed_();
    }
}

void Outputs::rebuild() {
    std::vector<OutputLayout::Output> described;
    std::vector<wl_output*> handles;
    for (const auto& e : entries_) {
        if (e->described) {
            described.push_back(e->current);
            handles.push_back(e->output);
        }
    }
    screens_.clear();
    screenOutputs_.clear();
    for (const OutputLayout::Placed& p : OutputLayout::place(described)) {
        screens_.push_back(p.screen);
        screenOutputs_.push_back(handles[p.output]);
    }
}

} // namespace spanlet::wayland
