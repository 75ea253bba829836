// Renders each tool view, empty and filled, into PNG files in the folder given as the only
// argument: view_screenshots <folder>. Runs on the offscreen platform when there is no display.
// The model runs on the test fakes: one display with three black boxes to measure.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/HotkeyStatus.hpp>
#include <spanlet/views/ToolViews.hpp>

#include "fakes/FakeDisplays.hpp"
#include "fakes/FakePlatform.hpp"

namespace {

using namespace spanlet;
using namespace std::chrono_literals;

bool save(QWidget& view, const QDir& folder, const QString& name) {
    view.show();
    QCoreApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!view.grab().save(path)) {
        std::fprintf(stderr, "view_screenshots: cannot write %s\n", path.toUtf8().constData());
        return false;
    }
    std::printf("%s\n", path.toUtf8().constData());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: view_screenshots <folder>\n", stderr);
        return 2;
    }
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "view_screenshots: cannot make %s\n", argv[1]);
        return 1;
    }

    fakes::FakePlatform platform;
    const Rect frame{0, 0, 1440, 900};
    const std::vector<Rect> boxes{{100, 100, 60, 40}, {300, 100, 80, 30}, {500, 100, 20, 50}};
    platform.displays.screens.push_back(fakes::makeScreen(1, frame, 1, frame.height));
    platform.capture.addScreen(1, frame.size(), 1, [boxes](std::int64_t x, std::int64_t y) {
        for (const Rect& box : boxes) {
            if (box.contains({static_cast<double>(x), static_cast<double>(y)})) {
                return RGBA::black;
            }
        }
        return RGBA::white;
    });
    Preferences prefs;
    prefs.welcomed = true;
    Mensor model(platform.ports(), prefs);
    model.start();
    HotkeyStatusValue hotkeys;
    hotkeys.set({MensorCommand::pickColor});
    AutostartEntry loginItem(QDir(folder.filePath(QStringLiteral("autostart")))
                                 .filePath(QStringLiteral("spanlet.desktop"))
                                 .toStdString(),
                             "/usr/bin/spanlet");
    // The welcome view shows its "Menu" button (the menu itself is the shell's).
    ViewContext context{model,   platform.permission, hotkeys, platform.clipboard, loginItem,
                        nullptr, [](QWidget&) {}};

    bool ok = true;
    using Kind = Windows::Kind;
    const auto shot = [&](Kind kind, const QString& name) {
        std::unique_ptr<QWidget> view(makeToolView(kind, context, nullptr));
        view->setWindowTitle(QString::fromUtf8(toolViewTitle(kind).data()));
        ok = save(*view, folder, name) && ok;
        return view;
    };

    shot(Kind::welcome, QStringLiteral("welcome"));
    {
        auto settings = shot(Kind::settings, QStringLiteral("settings"));
        if (auto* scroll = settings->findChild<QScrollArea*>()) {
            scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
            ok = save(*settings, folder, QStringLiteral("settings-scrolled")) && ok;
        }
    }
    shot(Kind::colors, QStringLiteral("colors-empty"));
    shot(Kind::measurements, QStringLiteral("measurements-empty"));
    {
        platform.permission.granted = false;
        auto explainer = shot(Kind::explainer, QStringLiteral("explainer"));
        if (auto* proceed = explainer->findChild<QPushButton*>(QStringLiteral("continue"))) {
            proceed->click();
        }
        ok = save(*explainer, folder, QStringLiteral("explainer-asked")) && ok;
        platform.permission.granted = true;
    }

    for (const SRGBColor& c :
         {SRGBColor(0.2, 0.6, 0.3, 1), SRGBColor(1, 1, 1, 1), SRGBColor(0, 0, 0, 1),
          SRGBColor(0.9, 0.3, 0.1, 0.5), SRGBColor(0.1, 0.2, 0.3, 1)}) {
        model.colors().use(c, false);
    }
    model.enableSnapping();
    for (const Point& p : {Point{130, 120}, Point{340, 115}, Point{510, 125}}) {
        platform.displays.moveTo(p);
        platform.clock.advance(0ms);
        model.measurements().pin();
    }
    shot(Kind::colors, QStringLiteral("colors"));
    shot(Kind::measurements, QStringLiteral("measurements"));
    return ok ? 0 : 1;
}
