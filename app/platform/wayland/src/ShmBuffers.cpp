#include "ShmBuffers.hpp"

#include <algorithm>
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

} // namespace

ShmBuffers::ShmBuffers(wl_shm* shm, std::size_t keep, Release release)
    : shm_(shm), keep_(keep), release_(release) {}

ShmBuffers::~ShmBuffers() = default;

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
    auto it = std::find_if(slots_.begin(), slots_.end(), same);
    if (it == slots_.end() && slots_.size() >= keep_ && release_ == Release::byCompositor) {
        // A compositor that keeps every buffer (wlroots' pixman renderer reads them in place
        // and releases none): the oldest one of this size is no longer on screen.
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
