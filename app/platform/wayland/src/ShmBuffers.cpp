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

ShmBuffers::ShmBuffers(wl_shm* shm, std::size_t keep) : shm_(shm), keep_(keep) {}

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
