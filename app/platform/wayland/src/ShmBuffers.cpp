#include "ShmBuffers.hpp"

#include <algorithm>
#include <chrono>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace spanlet::wayland {

struct ShmBuffers::Slot {
    Buffer buffer;
    int fd = -1;
    wl_shm_pool* pool = nullptr;
    std::uint8_t* memory = nullptr;
    std::size_t capacity = 0;
    bool busy = false;
    std::uint64_t used = 0; ///< when it was last given out

    void dropBuffer() {
        if (buffer.buffer != nullptr) {
            wl_buffer_destroy(buffer.buffer);
            buffer.buffer = nullptr;
        }
    }
    ~Slot() {
        dropBuffer();
        if (pool != nullptr) {
            wl_shm_pool_destroy(pool);
        }
        if (memory != nullptr) {
            munmap(memory, capacity);
        }
        if (fd >= 0) {
            close(fd);
        }
    }
};

namespace {

void released(void* data, wl_buffer* /*buffer*/) {
    *static_cast<bool*>(data) = false;
}
constexpr wl_buffer_listener releaseListener{released};

void answered(void* data, wl_callback* /*callback*/, std::uint32_t /*time*/) {
    *static_cast<bool*>(data) = true;
}
constexpr wl_callback_listener answerListener{answered};

} // namespace

ShmBuffers::ShmBuffers(wl_shm* shm, std::size_t keep, Release release, wl_display* display)
    : shm_(shm), keep_(keep), release_(release) {
    if (release_ == Release::byCompositor && display != nullptr) {
        display_ = display;
        queue_ = wl_display_create_queue(display);
        wrapper_ = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper_), queue_);
    }
}

ShmBuffers::~ShmBuffers() {
    slots_.clear();
    if (wrapper_ != nullptr) {
        wl_proxy_wrapper_destroy(wrapper_);
    }
    if (queue_ != nullptr) {
        wl_event_queue_destroy(queue_);
    }
}

std::vector<std::unique_ptr<ShmBuffers::Slot>>::iterator
ShmBuffers::freshestFree(std::uint32_t format, std::int32_t width, std::int32_t height,
                         std::int32_t stride) {
    // The free one given out last: on screen most recently, so it lags least behind.
    auto it = slots_.end();
    for (auto s = slots_.begin(); s != slots_.end(); ++s) {
        const Buffer& b = (*s)->buffer;
        if (!(*s)->busy && b.buffer != nullptr && b.format == format && b.width == width &&
            b.height == height && b.stride == stride &&
            (it == slots_.end() || (*s)->used > (*it)->used)) {
            it = s;
        }
    }
    return it;
}

void ShmBuffers::catchUp() {
    constexpr auto longest = std::chrono::milliseconds(50);
    const auto deadline = std::chrono::steady_clock::now() + longest;
    bool done = false;
    wl_callback* sync = wl_display_sync(wrapper_);
    wl_callback_add_listener(sync, &answerListener, &done);
    while (!done) {
        if (wl_display_prepare_read_queue(display_, queue_) != 0) {
            if (wl_display_dispatch_queue_pending(display_, queue_) < 0) {
                break;
            }
            continue;
        }
        wl_display_flush(display_);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            wl_display_cancel_read(display_);
            break;
        }
        if (wl_display_read_events(display_) < 0 ||
            wl_display_dispatch_queue_pending(display_, queue_) < 0) {
            break;
        }
    }
    wl_callback_destroy(sync);
}

ShmBuffers::Buffer* ShmBuffers::acquire(std::uint32_t format, std::int32_t width,
                                        std::int32_t height, std::int32_t stride) {
    if (width < 1 || height < 1 || stride < width) {
        return nullptr;
    }
    const std::size_t size = static_cast<std::size_t>(stride) * height;
    const auto same = [&](const auto& s) {
        const Buffer& b = s->buffer;
        return !s->busy && b.buffer != nullptr && b.format == format && b.width == width &&
               b.height == height && b.stride == stride;
    };
    if (queue_ != nullptr) {
        wl_display_dispatch_queue_pending(display_, queue_);
    }
    auto it = freshestFree(format, width, height, stride);
    if (it == slots_.end() && slots_.size() >= keep_ && queue_ != nullptr) {
        catchUp();
        it = freshestFree(format, width, height, stride);
    }
    if (it == slots_.end() && slots_.size() >= keep_ && release_ == Release::byCompositor) {
        // A compositor that keeps every buffer and releases none: the oldest one of this size
        // is no longer on screen.
        auto oldest = slots_.end();
        for (auto s = slots_.begin(); s != slots_.end(); ++s) {
            const Buffer& b = (*s)->buffer;
            if (b.format == format && b.width == width && b.height == height &&
                b.stride == stride && (*s)->used + 1 < clock_ &&
                (oldest == slots_.end() || (*s)->used < (*oldest)->used)) {
                oldest = s;
            }
        }
        if (oldest != slots_.end()) {
            (*oldest)->busy = false;
            it = oldest;
        }
    }
    if (it == slots_.end() && slots_.size() >= keep_) {
        // All kept: reuse the memory of a free one that is large enough, or drop a free one.
        it = std::find_if(slots_.begin(), slots_.end(),
                          [&](const auto& s) { return !s->busy && s->capacity >= size; });
        if (it == slots_.end()) {
            const auto free =
                std::find_if(slots_.begin(), slots_.end(), [](const auto& s) { return !s->busy; });
            if (free != slots_.end()) {
                slots_.erase(free);
            }
        }
    }
    if (it == slots_.end()) {
        auto slot = std::make_unique<Slot>();
        // Whole pages, and at least 64 KiB, so that other small sizes fit later.
        slot->capacity = std::max<std::size_t>((size + 4095) / 4096 * 4096, 65536);
        slot->fd = memfd_create("spanlet-capture", MFD_CLOEXEC);
        if (slot->fd < 0 || ftruncate(slot->fd, static_cast<off_t>(slot->capacity)) != 0) {
            return nullptr;
        }
        void* memory =
            mmap(nullptr, slot->capacity, PROT_READ | PROT_WRITE, MAP_SHARED, slot->fd, 0);
        if (memory == MAP_FAILED) {
            return nullptr;
        }
        slot->memory = static_cast<std::uint8_t*>(memory);
        slot->pool = wl_shm_create_pool(shm_, slot->fd, static_cast<std::int32_t>(slot->capacity));
        slots_.push_back(std::move(slot));
        it = std::prev(slots_.end());
    }
    Slot& slot = **it;
    if (!same(*it)) {
        slot.dropBuffer();
        slot.buffer = {wl_shm_pool_create_buffer(slot.pool, 0, width, height, stride, format),
                       {slot.memory, size},
                       format,
                       width,
                       height,
                       stride};
        if (queue_ != nullptr) {
            wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(slot.buffer.buffer), queue_);
            wl_buffer_add_listener(slot.buffer.buffer, &releaseListener, &slot.busy);
        }
        ++made_;
    }
    slot.busy = true;
    slot.used = clock_++;
    return &slot.buffer;
}

void ShmBuffers::release(Buffer* buffer) {
    for (const auto& s : slots_) {
        if (&s->buffer == buffer) {
            s->busy = false;
        }
    }
}

} // namespace spanlet::wayland
