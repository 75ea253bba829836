// The ScreenCast portal as a still-frame source on a headless mutter (run by
// mutter_screencast.sh): a stand-in portal hands out a stream of mutter's own screen cast of the
// display and a connection to PipeWire, as the desktop's portal does; the frame taken through
// it must equal the one mutter's screen cast gives directly (whose pixels mutter_screencast
// checks). Exits 1 otherwise.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <spanlet/stillframe/MutterScreenCast.hpp>
#include <spanlet/stillframe/PortalScreenCast.hpp>

#include "FakeFramePortal.hpp"

using namespace spanlet;
using namespace spanlet::stillframe;

namespace {

constexpr QLatin1String kMutter("org.gnome.Mutter.ScreenCast");

/// Calls mutter's screen cast; the first value of the reply, or an invalid one on an error.
QVariant mutterCall(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kMutter, path, interface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(method), qPrintable(reply.errorMessage()));
        return {};
    }
    return reply.arguments().value(0, true);
}

/// Runs `added` with the PipeWire node of `stream` once mutter announces it.
class NodeWaiter final : public QObject {
    Q_OBJECT

public:
    explicit NodeWaiter(std::function<void(uint)> added) : added_(std::move(added)) {}

public Q_SLOTS: // NOLINT(readability-redundant-access-specifiers): moc's
    void streamAdded(uint node) { added_(node); }

private:
    std::function<void(uint)> added_;
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect points = screen->geometry();
    const ScreenInfo display{
        1,
        {double(points.x()), double(points.y()), double(points.width()), double(points.height())},
        {},
        DisplayScale(screen->devicePixelRatio())};

    QTemporaryDir folder;
    spanlet::testing::FakeFramePortal portal(folder.path());
    portal.remoteSocket = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pipewire-0");
    if (!portal.ok()) {
        std::fputs("the stand-in portal could not take its name\n", stderr);
        return 1;
    }

    // Mutter's own screen cast of the monitor, for the portal to hand out.
    const QString session = mutterCall(QStringLiteral("/org/gnome/Mutter/ScreenCast"), kMutter,
                                       QStringLiteral("CreateSession"), {QVariantMap()})
                                .value<QDBusObjectPath>()
                                .path();
    const QString stream =
        session.isEmpty()
            ? QString()
            : mutterCall(session, QString(kMutter) + QStringLiteral(".Session"),
                         QStringLiteral("RecordMonitor"),
                         {QString(), QVariantMap{{QStringLiteral("cursor-mode"), 0U}}})
                  .value<QDBusObjectPath>()
                  .path();
    if (stream.isEmpty()) {
        return 1;
    }
    PortalScreenCast source(QDBusConnection::sessionBus(),
                            folder.filePath(QStringLiteral("state")).toStdString());
    MutterScreenCast direct(QDBusConnection::sessionBus());
    QImage expected;
    int status = 1;
    const auto compare = [&](FrameResult result) {
        if (const auto* refusal = std::get_if<FrameRefusal>(&result)) {
            std::fprintf(stderr, "no frame: %s\n", refusal->message.c_str());
        } else if (const auto& frames = std::get<std::vector<DisplayFrame>>(result);
                   frames.size() != 1 || frames[0].displayId != 1) {
            std::fprintf(stderr, "expected one frame of display 1\n");
        } else if (frames[0].image.convertToFormat(QImage::Format_RGB32) != expected) {
            std::fprintf(stderr, "the portal's %dx%d frame differs from mutter's %dx%d\n",
                         frames[0].image.width(), frames[0].image.height(), expected.width(),
                         expected.height());
        } else {
            std::printf("the portal's %dx%d frame is mutter's\n", expected.width(),
                        expected.height());
            status = 0;
        }
        QGuiApplication::exit(status);
    };
    NodeWaiter waiter([&](uint node) {
        portal.streams = {{node, points.x(), points.y(), points.width(), points.height()}};
        direct.grab({display}, [&](FrameResult result) {
            if (auto* frames = std::get_if<std::vector<DisplayFrame>>(&result);
                frames != nullptr && frames->size() == 1) {
                expected = frames->front().image.convertToFormat(QImage::Format_RGB32);
            }
            source.grab({display}, compare);
        });
    });
    QDBusConnection::sessionBus().connect(
        kMutter, stream, QString(kMutter) + QStringLiteral(".Stream"),
        QStringLiteral("PipeWireStreamAdded"), &waiter, SLOT(streamAdded(uint)));
    if (!mutterCall(session, QString(kMutter) + QStringLiteral(".Session"), QStringLiteral("Start"),
                    {})
             .isValid()) {
        return 1;
    }
    return QGuiApplication::exec();
}

#include "portal_screencast.moc"
