// The still-frame back end's display server: a headless mutter of its own
// (tests/mutter/mutter_with_input.sh, run as the scenarios run it) with a monitor of
// 1280 × 800 points at the scale, the scene as an Xwayland desktop window that reports its clicks,
// remote_input.py as the pointer through the script's pipes, and mutter's screen cast to read the
// screen.
#include <QDBusConnection>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <spanlet/stillframe/MutterScreenCast.hpp>

#include "BackendUnderTest.hpp"
#include "support/LineTool.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

class MutterBackend final : public BackendUnderTest {
public:
    ~MutterBackend() override {
        cast_.reset();
        tool_.reset(); // remote_input ends, and the script stops mutter
    }

    bool start(double scale) override {
        scale_ = scale;
        std::ostringstream factor;
        factor << scale;
        // VAR=value lines until remote_input says it is ready, the scene up.
        tool_ = std::make_unique<LineTool>(
            std::vector<std::string>{"/bin/bash", MUTTER_WITH_INPUT, factor.str(), E2E_SCENE});
        const char* sceneOut =
            tool_->exportUntil("ready") ? std::getenv("MUTTER_SCENE_OUT") : nullptr;
        sceneOut_ = sceneOut != nullptr ? sceneOut : "";
        return !sceneOut_.empty();
    }

    bool showScene() override {
        cast_ = std::make_unique<stillframe::MutterScreenCast>(QDBusConnection::sessionBus());
        // The scene is drawn; mutter shows it from its next frame.
        return waitUntil([&] { return sceneShown(); });
    }

    std::optional<PixelBuffer> screen(const Rect& rect) override {
        ScreenInfo display;
        display.id = 1;
        display.frame = Rect{0, 0, 1280, 800};
        display.scale = DisplayScale(scale_);
        std::optional<stillframe::FrameResult> result;
        cast_->grab({display}, [&](stillframe::FrameResult r) { result = std::move(r); });
        if (!waitUntil([&] { return result.has_value(); })) {
            return std::nullopt;
        }
        const auto* frames = std::get_if<std::vector<stillframe::DisplayFrame>>(&*result);
        if (frames == nullptr || frames->size() != 1) {
            return std::nullopt;
        }
        const QImage& image = frames->front().image;
        const auto device = [&](double points) { return std::lround(points * scale_); };
        const long x0 = device(rect.x);
        const long y0 = device(rect.y);
        PixelBuffer pixels(device(rect.x + rect.width) - x0, device(rect.y + rect.height) - y0,
                           RGBA{});
        for (long y = 0; y < pixels.height(); ++y) {
            for (long x = 0; x < pixels.width(); ++x) {
                const int ix = static_cast<int>(x0 + x);
                const int iy = static_cast<int>(y0 + y);
                if (!image.valid(ix, iy)) {
                    return std::nullopt;
                }
                const QRgb p = image.pixel(ix, iy);
                pixels(x, y) =
                    RGBA(static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                         static_cast<std::uint8_t>(qBlue(p)), 255);
            }
        }
        return pixels;
    }

    // The scene's desktop window lies under everything and counts its clicks.
    bool openClickTarget(const Rect& /*rect*/) override { return !sceneOut_.empty(); }

    int clicks() override {
        std::ifstream out(sceneOut_);
        int count = 0;
        for (std::string line; std::getline(out, line);) {
            count += line.rfind("click ", 0) == 0 ? 1 : 0;
        }
        return count;
    }

    bool movePointer(Point at) override {
        std::ostringstream line;
        line << "move " << at.x << ' ' << at.y;
        return tool_->command(line.str());
    }

    bool click() override { return tool_->command("click"); }

    [[nodiscard]] bool showsOverlayWhileIdle() const override { return false; }

private:
    double scale_ = 1;
    std::unique_ptr<LineTool> tool_;
    std::string sceneOut_;
    std::unique_ptr<stillframe::MutterScreenCast> cast_;
};

} // namespace

std::unique_ptr<BackendUnderTest> makeMutterBackend() {
    return std::make_unique<MutterBackend>();
}

} // namespace spanlet::test
