#include "SharedSegment.hpp"

#include <cstdint>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include "XcbReply.hpp"

namespace spanlet::x11 {

std::unique_ptr<SharedSegment> SharedSegment::make(xcb_connection_t* c, std::size_t bytes,
                                                   Access access) {
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        return nullptr;
    }
    void* address = shmat(id, nullptr, 0);
    const bool mapped = reinterpret_cast<std::intptr_t>(address) != -1; // (void*) -1: failed
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    const std::uint8_t readOnly = access == Access::serverReads ? 1 : 0;
    const bool attached =
        mapped && reply(xcb_request_check(c, xcb_shm_attach_checked(c, segment,
                                                                    static_cast<std::uint32_t>(id),
                                                                    readOnly))) == nullptr;
    // Marked for removal now: it goes when both sides have detached, even after a crash.
    shmctl(id, IPC_RMID, nullptr);
    if (!attached) {
        if (mapped) {
            shmdt(address);
        }
        return nullptr;
    }
    return std::unique_ptr<SharedSegment>(
        new SharedSegment(c, static_cast<std::uint8_t*>(address), bytes, segment));
}

SharedSegment::~SharedSegment() {
    if (xcb_connection_has_error(connection_) == 0) {
        xcb_shm_detach(connection_, id_);
        xcb_flush(connection_);
    }
    shmdt(bits_);
}

} // namespace spanlet::x11
