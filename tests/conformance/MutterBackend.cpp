// The still-frame back end's display server: a headless mutter of its own
// (tests/mutter/mutter_with_input.sh, run as the scenarios run it) with a monitor of
// 1280 × 800 points at the scale, the scene as an Xwayland desktop window that reports its clicks,
// remote_input.py as the pointer through the script's pipes, and mutter's screen cast to read the
// screen.
#include <QDBusConnection>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <spanlet/stillframe/MutterScreenCast.hpp>

#include "BackendUnderTest.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

class MutterBackend final : public BackendUnderTest {
public:
    ~MutterBackend() override {
        cast_.reset();
        if (in_ != nullptr) {
            std::fclose(in_); // remote_input ends, and the script stops mutter
        }
        if (out_ != nullptr) {
            std::fclose(out_);
        }
        if (pid_ > 0) {
            waitpid(pid_, nullptr, 0);
        }
    }

    bool start(double scale) override {
        scale_ = scale;
        if (!spawn(scale)) {
            return false;
        }
        // VAR=value lines until remote_input says it is ready, the scene up.
        char line[512] = {};
        while (std::fgets(line, sizeof line, out_) != nullptr) {
            std::string text(line);
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
            }
            if (text == "ready") {
                return true;
            }
            const std::size_t equals = text.find('=');
            if (equals == std::string::npos) {
                return false;
            }
            const std::string name = text.substr(0, equals);
            const std::string value = text.substr(equals + 1);
            if (name == "MUTTER_SCENE_OUT") {
                sceneOut_ = value;
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        return false;
    }

    bool showScene() override {
        cast_ = std::make_unique<stillframe::MutterScreenCast>(QDBusConnection::sessionBus());
        // The scene is drawn; mutter shows it from its next frame.
        const Rect probe{100, 100, 400, 300};
        return waitUntil([&] {
            const std::optional<PixelBuffer> shown = screen(probe);
            return shown && std::all_of(shown->pixels().begin(), shown->pixels().end(),
                                        [](const RGBA& p) { return p.b >= 128; });
        });
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
        return command(line.str());
    }

    bool click() override { return command("click"); }

    [[nodiscard]] bool showsOverlayWhileIdle() const override { return false; }

private:
    /// Starts the script with pipes to and from it.
    bool spawn(double scale) {
        int toChild[2];
        int fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
            return false;
        }
        std::ostringstream scaleText;
        scaleText << scale;
        const std::string factor = scaleText.str();
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            for (int fd = 3; fd < 1024; ++fd) {
                close(fd);
            }
            execl("/bin/bash", "bash", MUTTER_WITH_INPUT, factor.c_str(), E2E_SCENE, nullptr);
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
        pid_ = pid;
        return pid > 0;
    }

    /// One line to remote_input; whether mutter took it.
    bool command(const std::string& line) {
        if (std::fputs((line + "\n").c_str(), in_) < 0 || std::fflush(in_) != 0) {
            return false;
        }
        char answer[256] = {};
        return std::fgets(answer, sizeof answer, out_) != nullptr && std::string(answer) == "ok\n";
    }

    double scale_ = 1;
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
    std::string sceneOut_;
    std::unique_ptr<stillframe::MutterScreenCast> cast_;
};

} // namespace

std::unique_ptr<BackendUnderTest> makeMutterBackend() {
    return std::make_unique<MutterBackend>();
}

} // namespace spanlet::test
