// KDE Plasma's back end's display server: a headless KWin of its own (kwin_with_input.sh, run
// as an unprivileged user as the scenarios run it) with the output at the scale, the scene as
// its wallpaper and fake_input as the pointer, both through the script's pipes, and a capture
// through KWin's screenshot interface of the suite's own to read the screen.
#include <QDBusConnection>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <spanlet/kwin/ScreenShotCapture.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "BackendUnderTest.hpp"
#include "support/TestSurface.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;

class KWinBackend final : public BackendUnderTest {
public:
    ~KWinBackend() override {
        below_.reset();
        capture_.reset();
        connection_.reset();
        if (in_ != nullptr) {
            std::fclose(in_); // fake_input ends, and the script stops KWin
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
        // VAR=value lines until fake_input says it is ready with the scene up.
        char line[512] = {};
        while (std::fgets(line, sizeof line, out_) != nullptr) {
            std::string text(line);
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
            }
            if (text == "ready") {
                unsetenv("DISPLAY");
                return true;
            }
            const std::size_t equals = text.find('=');
            if (equals == std::string::npos) {
                return false;
            }
            setenv(text.substr(0, equals).c_str(), text.substr(equals + 1).c_str(), 1);
        }
        return false;
    }

    bool showScene() override {
        connection_ = WaylandConnection::connect();
        if (!connection_ || connection_->outputs().screens().size() != 1) {
            return false;
        }
        output_ = connection_->outputs().screens().front().id;
        capture_ =
            std::make_unique<kwin::ScreenShotCapture>(*connection_, QDBusConnection::sessionBus());
        // The scene is up (fake_input waited for it); KWin shows it from its next frame.
        const Rect probe{100, 100, 400, 300};
        return waitUntil([&] {
            const std::optional<PixelBuffer> shown = screen(probe);
            return shown && std::all_of(shown->pixels().begin(), shown->pixels().end(),
                                        [](const RGBA& p) { return p.b >= 128; });
        });
    }

    std::optional<PixelBuffer> screen(const Rect& rect) override {
        std::optional<CaptureResult<PixelBuffer>> result;
        capture_->pixels(ScreenCapture::Filter{output_, nullptr}, rect, scale_,
                         [&](auto r) { result = std::move(r); });
        if (!waitUntil([&] { return result.has_value(); }) ||
            !std::holds_alternative<PixelBuffer>(*result)) {
            return std::nullopt;
        }
        return std::get<PixelBuffer>(*result);
    }

    bool openClickTarget(const Rect& /*rect*/) override {
        // Its surface listens to the seat's pointer, which fake input gives the seat.
        if (!connection_->dispatchUntil([&] {
                return (connection_->seatCapabilities() & WL_SEAT_CAPABILITY_POINTER) != 0;
            })) {
            return false;
        }
        below_ = std::make_unique<TestSurface>(*connection_, connection_->outputs().output(output_),
                                               0xFF336699, true);
        return connection_->dispatchUntil([&] { return below_->mapped(); });
    }

    int clicks() override {
        connection_->roundtrip();
        return below_->clicks();
    }

    bool movePointer(Point at) override {
        std::ostringstream line;
        line << "move " << at.x << ' ' << at.y;
        return command(line.str());
    }

    bool click() override { return command("click"); }

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
            execl("/bin/bash", "bash", KWIN_WITH_INPUT, factor.c_str(), FAKE_INPUT, "scene",
                  nullptr);
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
        pid_ = pid;
        return pid > 0;
    }

    /// One line to fake_input; whether KWin has handled it.
    bool command(const std::string& line) {
        if (std::fputs((line + "\n").c_str(), in_) < 0 || std::fflush(in_) != 0) {
            return false;
        }
        char answer[64] = {};
        return std::fgets(answer, sizeof answer, out_) != nullptr && std::string(answer) == "ok\n";
    }

    double scale_ = 1;
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<kwin::ScreenShotCapture> capture_;
    std::uint32_t output_ = 0;
    std::unique_ptr<TestSurface> below_;
};

} // namespace

std::unique_ptr<BackendUnderTest> makeKWinBackend() {
    return std::make_unique<KWinBackend>();
}

} // namespace spanlet::test
