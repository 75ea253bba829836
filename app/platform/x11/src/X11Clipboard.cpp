#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <xcb/xcb.h>

#include <spanlet/x11/X11Clipboard.hpp>

#include "QtXcb.hpp"
#include "XcbReply.hpp"
#include "XcbRequests.hpp"

namespace spanlet {

namespace {

/// Ends `loop` on the manager's answer to our SAVE_TARGETS request.
class SavedFilter final : public QAbstractNativeEventFilter {
public:
    SavedFilter(xcb_window_t requestor, QEventLoop& loop) : requestor_(requestor), loop_(loop) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != QByteArrayLiteral("xcb_generic_event_t")) {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY ||
            reinterpret_cast<const xcb_selection_notify_event_t*>(event)->requestor != requestor_) {
            return false;
        }
        loop_.quit();
        return true;
    }

private:
    xcb_window_t requestor_;
    QEventLoop& loop_;
};

} // namespace

void X11Clipboard::handOver(std::chrono::milliseconds wait) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    xcb_connection_t* c = x11::qtConnection();
    if (c == nullptr || !clipboard->ownsClipboard()) {
        return;
    }
    // As the clipboard-manager convention asks of an owner that ends: request SAVE_TARGETS of
    // CLIPBOARD_MANAGER; the manager then asks Qt for the text (answered in the events run
    // here) and replies when it has it.
    const xcb_atom_t manager = x11::internAtom(c, "CLIPBOARD_MANAGER");
    const x11::XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, manager), nullptr));
    const bool managed = owner && owner->owner != XCB_WINDOW_NONE;
    if (managed) {
        const xcb_window_t requestor = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, requestor, x11::defaultRoot(c), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        QEventLoop loop;
        SavedFilter filter(requestor, loop);
        QCoreApplication::instance()->installNativeEventFilter(&filter);
        xcb_convert_selection(c, requestor, manager, x11::internAtom(c, "SAVE_TARGETS"),
                              x11::internAtom(c, "SPANLET_SAVED"), XCB_CURRENT_TIME);
        xcb_flush(c);
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(wait);
        loop.exec();
        QCoreApplication::instance()->removeNativeEventFilter(&filter);
        xcb_destroy_window(c, requestor);
    }
    // Without the selection Qt has nothing to hand over, and does not wait, at the end.
    clipboard->clear(QClipboard::Clipboard);
}

} // namespace spanlet
