#include <QFile>
#include <QUrl>
#include <utility>

#include <spanlet/stillframe/DesktopCrop.hpp>
#include <spanlet/stillframe/PortalRequest.hpp>
#include <spanlet/stillframe/PortalScreenshot.hpp>

namespace spanlet::stillframe {

namespace {

FrameRefusal unavailable(std::string message) {
    return {FrameRefusal::Kind::unavailable, std::move(message)};
}

/// The picture the portal wrote to `uri`, which is gone afterwards whatever was in it.
QImage takePicture(const QString& uri) {
    const QUrl url(uri);
    if (!url.isLocalFile()) {
        return {};
    }
    QFile file(url.toLocalFile());
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        file.close();
    }
    // The screen's pictures stay in memory only.
    file.remove();
    return QImage::fromData(bytes, "PNG");
}

} // namespace

PortalScreenshot::PortalScreenshot(QDBusConnection bus) : bus_(std::move(bus)) {}

void PortalScreenshot::grab(const std::vector<ScreenInfo>& displays,
                            std::function<void(FrameResult)> done) {
    PortalRequest::call(
        bus_, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"),
        {QString()}, {{QStringLiteral("interactive"), false}}, &requests_,
        [displays, done = std::move(done)](const PortalAnswer& answer) {
            if (answer.code == 1) {
                done(FrameRefusal{FrameRefusal::Kind::refused,
                                  "The desktop did not allow Spanlet to take a screenshot."});
                return;
            }
            if (answer.code != 0) {
                done(unavailable(answer.error.isEmpty()
                                     ? "The desktop could not take a screenshot."
                                     : "No screenshot portal: " + answer.error.toStdString()));
                return;
            }
            std::vector<DisplayFrame> frames = framesFromDesktop(
                takePicture(answer.results.value(QStringLiteral("uri")).toString()), displays);
            if (frames.empty()) {
                done(unavailable("The desktop’s screenshot could not be read."));
                return;
            }
            done(std::move(frames));
        });
}

} // namespace spanlet::stillframe
