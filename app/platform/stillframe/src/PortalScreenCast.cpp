#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <cmath>
#include <unistd.h>
#include <utility>

#include <spanlet/model/XdgFolders.hpp>
#include <spanlet/stillframe/PipeWireFrame.hpp>
#include <spanlet/stillframe/PortalRequest.hpp>
#include <spanlet/stillframe/PortalScreenCast.hpp>
#include <spanlet/stillframe/PortalStream.hpp>

namespace spanlet::stillframe {

namespace {

constexpr QLatin1String kInterface("org.freedesktop.portal.ScreenCast");
constexpr QLatin1String kTokenField("restoreToken");

// SelectSources' values.
constexpr uint kMonitors = 1;     // types: monitors only
constexpr uint kHiddenCursor = 1; // cursor_mode: no pointer in the frames
constexpr uint kPersistent = 2;   // persist_mode: until the user revokes it

/// The stream that shows `display`: the one whose monitor has its origin (displays do not
/// share one; sizes may differ by rounding under fractional scales), or the only one for the
/// only display when the portal tells no places.
const PortalStream* streamFor(const ScreenInfo& display, const PortalStreams& streams,
                              std::size_t displayCount) {
    const QPoint origin(static_cast<int>(std::lround(display.frame.x)),
                        static_cast<int>(std::lround(display.frame.y)));
    for (const PortalStream& stream : streams) {
        if (const std::optional<QRect> place = stream.place();
            place && place->topLeft() == origin) {
            return &stream;
        }
    }
    if (streams.size() == 1 && displayCount == 1 && !streams.front().place()) {
        return &streams.front();
    }
    return nullptr;
}

} // namespace

/// One grab under way. PipeWire's answers may come after the source is gone, so what they
/// need lives here.
struct PortalScreenCast::Grab {
    explicit Grab(QDBusConnection connection) : bus(std::move(connection)) {}
    /// A grab dropped unanswered leaves no session open.
    ~Grab() { closeSession(); }
    Grab(const Grab&) = delete;
    Grab& operator=(const Grab&) = delete;

    QDBusConnection bus;
    std::vector<ScreenInfo> displays;
    std::function<void(FrameResult)> done;
    QDBusObjectPath session;
    std::vector<std::uint32_t> nodes; // per display
    std::vector<DisplayFrame> frames; // per display
    std::size_t pending = 0;
    std::optional<FrameRefusal> failure;

    void closeSession() {
        if (!session.path().isEmpty()) {
            bus.send(QDBusMessage::createMethodCall(
                PortalRequest::service, session.path(),
                QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
            session = {};
        }
    }

    /// Closes the session, if one is open, and answers `result`.
    void finish(FrameResult result) {
        closeSession();
        if (done) {
            std::exchange(done, nullptr)(std::move(result));
        }
    }

    /// Answers a portal's `answer` that is not a success.
    void fail(const PortalAnswer& answer) {
        if (answer.code == 1) {
            finish(FrameRefusal{FrameRefusal::Kind::refused,
                                "The desktop did not allow Spanlet to share the screen."});
            return;
        }
        finish(FrameRefusal{FrameRefusal::Kind::unavailable,
                            answer.error.isEmpty()
                                ? "The desktop could not share the screen."
                                : "No screen cast portal: " + answer.error.toStdString()});
    }
};

PortalScreenCast::PortalScreenCast(QDBusConnection bus, std::filesystem::path stateDirectory)
    : bus_(std::move(bus)), state_(std::move(stateDirectory)) {
    registerPortalStreamTypes();
}

PortalScreenCast::~PortalScreenCast() {
    // PipeWire may still answer grabs under way: they end here, unanswered.
    for (const std::weak_ptr<Grab>& weak : grabs_) {
        if (const std::shared_ptr<Grab> grab = weak.lock()) {
            grab->done = nullptr;
            grab->closeSession();
        }
    }
}

std::filesystem::path PortalScreenCast::defaultStateDirectory() {
    const std::filesystem::path state = XdgFolders::folder(XdgFolders::Base::state);
    return state.empty() ? state : state / "spanlet";
}

QString PortalScreenCast::restoreToken() const {
    const std::optional<std::string> bytes = state_.data(tokenKey);
    if (!bytes) {
        return {};
    }
    return QJsonDocument::fromJson(QByteArray::fromStdString(*bytes))
        .object()
        .value(kTokenField)
        .toString();
}

void PortalScreenCast::keepRestoreToken(const QString& token) {
    // Not kept, the desktop asks again next time; nothing else is lost.
    state_.setData(tokenKey,
                   QJsonDocument(QJsonObject{{kTokenField, token}}).toJson().toStdString());
}

void PortalScreenCast::grab(const std::vector<ScreenInfo>& displays,
                            std::function<void(FrameResult)> done) {
    auto grab = std::make_shared<Grab>(bus_);
    std::erase_if(grabs_, [](const std::weak_ptr<Grab>& weak) { return weak.expired(); });
    grabs_.push_back(grab);
    grab->displays = displays;
    grab->done = std::move(done);
    PortalRequest::call(bus_, kInterface, QStringLiteral("CreateSession"), {},
                        {{QStringLiteral("session_handle_token"), PortalRequest::freshToken()}},
                        &requests_, [this, grab](const PortalAnswer& answer) {
                            if (answer.code != 0) {
                                grab->fail(answer);
                                return;
                            }
                            grab->session = QDBusObjectPath(
                                answer.results.value(QStringLiteral("session_handle")).toString());
                            selectSources(grab);
                        });
}

void PortalScreenCast::selectSources(const std::shared_ptr<Grab>& grab) {
    QVariantMap options{{QStringLiteral("types"), kMonitors},
                        {QStringLiteral("multiple"), true},
                        {QStringLiteral("cursor_mode"), kHiddenCursor},
                        {QStringLiteral("persist_mode"), kPersistent}};
    if (const QString token = restoreToken(); !token.isEmpty()) {
        options.insert(QStringLiteral("restore_token"), token);
    }
    PortalRequest::call(bus_, kInterface, QStringLiteral("SelectSources"),
                        {QVariant::fromValue(grab->session)}, options, &requests_,
                        [this, grab](const PortalAnswer& answer) {
                            if (answer.code != 0) {
                                grab->fail(answer);
                                return;
                            }
                            start(grab);
                        });
}

void PortalScreenCast::start(const std::shared_ptr<Grab>& grab) {
    PortalRequest::call(
        bus_, kInterface, QStringLiteral("Start"), {QVariant::fromValue(grab->session), QString()},
        {}, &requests_, [this, grab](const PortalAnswer& answer) {
            if (answer.code != 0) {
                grab->fail(answer);
                return;
            }
            if (const QString token =
                    answer.results.value(QStringLiteral("restore_token")).toString();
                !token.isEmpty()) {
                keepRestoreToken(token);
            }
            const auto streams =
                qdbus_cast<PortalStreams>(answer.results.value(QStringLiteral("streams")));
            for (const ScreenInfo& display : grab->displays) {
                const PortalStream* stream = streamFor(display, streams, grab->displays.size());
                if (stream == nullptr) {
                    grab->finish(FrameRefusal{
                        FrameRefusal::Kind::unavailable,
                        "The desktop did not share every display (choose all of them)."});
                    return;
                }
                grab->nodes.push_back(stream->node);
            }
            openRemote(grab);
        });
}

void PortalScreenCast::openRemote(const std::shared_ptr<Grab>& grab) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path, kInterface,
                                       QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(grab->session), QVariantMap()});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), &requests_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &requests_,
                     [grab](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                         if (reply.isError() || !reply.value().isValid()) {
                             grab->finish(FrameRefusal{FrameRefusal::Kind::unavailable,
                                                       "The desktop did not open PipeWire."});
                             return;
                         }
                         grab->frames.resize(grab->displays.size());
                         grab->pending = grab->displays.size();
                         for (std::size_t i = 0; i < grab->displays.size(); ++i) {
                             // Each stream's reader takes a descriptor of its own.
                             const int fd = ::dup(reply.value().fileDescriptor());
                             if (fd < 0) {
                                 grab->finish(FrameRefusal{FrameRefusal::Kind::unavailable,
                                                           "Out of file descriptors."});
                                 return;
                             }
                             PipeWireFrame::take(fd, grab->nodes[i], [grab, i](PipeWireResult r) {
                                 if (auto* image = std::get_if<QImage>(&r)) {
                                     // The monitor's own pixels, as they are.
                                     grab->frames[i] = {grab->displays[i].id, std::move(*image)};
                                 } else if (!grab->failure) {
                                     grab->failure = FrameRefusal{FrameRefusal::Kind::unavailable,
                                                                  std::get<std::string>(r)};
                                 }
                                 if (--grab->pending > 0) {
                                     return;
                                 }
                                 if (grab->failure) {
                                     grab->finish(*grab->failure);
                                 } else {
                                     grab->finish(std::move(grab->frames));
                                 }
                             });
                         }
                     });
}

} // namespace spanlet::stillframe
