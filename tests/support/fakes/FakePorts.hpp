#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <spanlet/model/Announcer.hpp>
#include <spanlet/model/ColorSampler.hpp>
#include <spanlet/model/Controllers.hpp>
#include <spanlet/model/ToolWindows.hpp>
#include <spanlet/platform/Clipboard.hpp>
#include <spanlet/platform/Hotkeys.hpp>
#include <spanlet/platform/PermissionPort.hpp>

#include "fakes/CallLog.hpp"

namespace spanlet::fakes {

/// Allowed while `granted`; otherwise what `denied` says (by default grantable by an action).
class FakePermission : public PermissionPort {
public:
    bool granted = true;
    CaptureAccess denied{CaptureAccess::State::grantable, "Allow Spanlet",
                         "Spanlet adds itself to the apps the desktop lets read the screen."};
    int requests = 0;
    int grants = 0;

    [[nodiscard]] CaptureAccess access() const override {
        return granted ? CaptureAccess{} : denied;
    }
    bool request() override {
        ++requests;
        return granted;
    }
    void grant() override { ++grants; }
};

class FakeClipboard : public Clipboard {
public:
    std::optional<std::string> text;
    void setText(const std::string& value) override { text = value; }
};

class FakeAnnouncer : public Announcer {
public:
    std::vector<std::string> spoken;
    CallLog* log = nullptr;
    void announce(const std::string& text) override {
        spoken.push_back(text);
        note(log, "announce");
    }
    [[nodiscard]] std::string last() const { return spoken.empty() ? "" : spoken.back(); }
};

class FakeToolWindows : public ToolWindows {
public:
    std::vector<Windows::Kind> opened;
    void attach(Mensor&) override {}
    void open(Windows::Kind kind) override { opened.push_back(kind); }
    void close(Windows::Kind) override {}
};

class FakeHotkeys : public Hotkeys {
public:
    std::vector<Binding> registered;
    int registerCalls = 0;

    void setOnCommand(std::function<void(MensorCommand)> handler) override {
        handler_ = std::move(handler);
    }
    void registerCommands(std::span<const Binding> bindings) override {
        ++registerCalls;
        registered.assign(bindings.begin(), bindings.end());
    }
    void unregisterAll() override { registered.clear(); }
    /// The user presses the shortcut of `command`.
    void press(MensorCommand command) {
        if (handler_) {
            handler_(command);
        }
    }

private:
    std::function<void(MensorCommand)> handler_;
};

class FakeOverlayController : public OverlayController {
public:
    CallLog* log = nullptr;
    void rebuild() override { note(log, "overlay.rebuild"); }
};

/// A sampler the test answers: pick() runs the handler of the open sampler. Showing it again
/// first answers the open one with nothing, as a replaced sampler would.
class FakeColorSampler : public ColorSampler {
public:
    int shows = 0;
    /// The model's loupe capture the last opening was given.
    LoupeSource loupes;
    void show(LoupeSource source, Handler handler) override {
        ++shows;
        loupes = std::move(source);
        pick(std::nullopt); // a sampler opened over an open one replaces it
        handler_ = std::move(handler);
    }
    void cancel() override { pick(std::nullopt); }
    /// The user picks `color` (nothing: cancels). Does nothing when no sampler is open.
    void pick(std::optional<SRGBColor> color) {
        if (auto handler = std::exchange(handler_, {})) {
            handler(color);
        }
    }

private:
    Handler handler_;
};

} // namespace spanlet::fakes
