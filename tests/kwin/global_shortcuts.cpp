// The global shortcuts on KDE's shortcut service as KWin serves it: a combination another
// application holds is reported unavailable and the others are bound; while bound, Spanlet's
// keys are refused to others, and once Spanlet's shortcuts are gone they are free again.
// Prints what failed and exits 1; prints "ok" when it passes.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include <spanlet/kwin/KGlobalAccelHotkeys.hpp>

using spanlet::Binding;
using spanlet::MensorCommand;
using spanlet::kwin::KGlobalAccelHotkeys;

namespace {

int fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    return 1;
}

/// Registers another application's action and sets `key` as its present keys; what the
/// service set (a key it refuses comes back as 0).
QList<int> takeKey(const QString& action, int key) {
    const QStringList id{QStringLiteral("other"), action, QStringLiteral("Other"), action};
    const auto call = [](const QString& method, const QVariantList& arguments) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
            QStringLiteral("org.kde.KGlobalAccel"), method);
        m.setArguments(arguments);
        return QDBusConnection::sessionBus().call(m);
    };
    call(QStringLiteral("doRegister"), {id});
    const QDBusMessage reply =
        call(QStringLiteral("setShortcut"), {id, QVariant::fromValue(QList<int>{key}), 2U | 4U});
    return reply.arguments().isEmpty() ? QList<int>()
                                       : qdbus_cast<QList<int>>(reply.arguments().constFirst());
}

int keyOf(MensorCommand command) {
    return KGlobalAccelHotkeys::qtKey(spanlet::shortcut(command)).value_or(0);
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<QList<int>>();
    const int ruler = keyOf(MensorCommand::toggleRuler);
    const int guide = keyOf(MensorCommand::addHorizontalGuide);
    if (takeKey(QStringLiteral("ruler"), ruler) != QList<int>{ruler}) {
        return fail("another application could not take Ctrl+Shift+R");
    }
    auto hotkeys = KGlobalAccelHotkeys::make(QDBusConnection::sessionBus());
    if (!hotkeys) {
        return fail("no shortcut service on the session bus");
    }
    QEventLoop loop;
    hotkeys->setOnStatusChanged([&] { loop.quit(); });
    const std::vector<Binding> bindings{
        {MensorCommand::toggleRuler, spanlet::shortcut(MensorCommand::toggleRuler)},
        {MensorCommand::addHorizontalGuide, spanlet::shortcut(MensorCommand::addHorizontalGuide)}};
    hotkeys->registerCommands(bindings);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(5000);
    loop.exec();
    if (hotkeys->unavailable() != std::vector<MensorCommand>{MensorCommand::toggleRuler}) {
        return fail("Ctrl+Shift+R, held by another application, not reported unavailable alone");
    }
    if (takeKey(QStringLiteral("guide"), guide).contains(guide)) {
        return fail("another application took Ctrl+Shift+H from Spanlet");
    }
    hotkeys.reset();
    if (takeKey(QStringLiteral("guide"), guide) != QList<int>{guide}) {
        return fail("Ctrl+Shift+H still held once Spanlet's shortcuts are gone");
    }
    std::printf("ok\n");
    return 0;
}
