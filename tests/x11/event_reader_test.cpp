#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <xcb/xcb.h>

#include "XcbRequests.hpp"

namespace spanlet {
namespace {

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

void sendMessage(xcb_connection_t* from, xcb_window_t to, std::uint32_t number) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = to;
    event.type = XCB_ATOM_INTEGER;
    event.data.data32[0] = number;
    xcb_send_event(from, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    x11::roundTrip(from); // handled: on its way to the receiver
}

// Whether `c`'s socket holds `bytes` unread within 5 s: the server writes to each client in
// turn, so the sender's answer may come before the receiver's event.
bool unread(xcb_connection_t* c, int bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        int pending = 0;
        if (ioctl(xcb_get_file_descriptor(c), FIONREAD, &pending) == 0 && pending >= bytes) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::uint32_t number(xcb_generic_event_t* event) {
    const std::uint32_t n = reinterpret_cast<xcb_client_message_event_t*>(event)->data.data32[0];
    std::free(event);
    return n;
}

// Events come from the queue, then from one read of the socket; what arrives after that read
// waits for the next reader.
TEST(EventReader, TakesTheQueueThenOneReadOfTheSocket) {
    const Connection owner(xcb_connect(nullptr, nullptr));
    const Connection sender(xcb_connect(nullptr, nullptr));
    ASSERT_EQ(xcb_connection_has_error(owner.get()), 0);
    ASSERT_EQ(xcb_connection_has_error(sender.get()), 0);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(owner.get())).data;
    const xcb_window_t window = xcb_generate_id(owner.get());
    xcb_create_window(owner.get(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    x11::roundTrip(owner.get());

    sendMessage(sender.get(), window, 1);
    sendMessage(sender.get(), window, 2);
    ASSERT_TRUE(unread(owner.get(), 64));
    EXPECT_EQ(x11::EventReader(owner.get(), false).next(), nullptr);
    x11::EventReader reader(owner.get(), true);
    xcb_generic_event_t* first = reader.next();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(number(first), 1U);
    sendMessage(sender.get(), window, 3);
    ASSERT_TRUE(unread(owner.get(), 32));
    xcb_generic_event_t* second = reader.next();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(number(second), 2U);
    EXPECT_EQ(reader.next(), nullptr) << "read the socket a second time";

    xcb_generic_event_t* third = x11::EventReader(owner.get(), true).next();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(number(third), 3U);
}

} // namespace
} // namespace spanlet
