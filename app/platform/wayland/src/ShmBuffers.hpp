#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct wl_shm;
struct wl_buffer;
struct wl_display;
struct wl_event_queue;

namespace spanlet::wayland {

/// wl_shm buffers kept for reuse: a buffer handed back is given out again for the same format
/// and size without asking the compositor for anything. Up to `keep` buffers are kept; past
/// that a free one's memory is reused for another size that fits. Each buffer has a memory file
/// and pool of its own.
class ShmBuffers {
public:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::span<std::uint8_t> bytes; ///< stride × height bytes
        std::uint32_t format = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t stride = 0;
    };

    /// Who says a buffer is free again: the caller through release() (screencopy), or the
    /// compositor through wl_buffer.release (buffers attached to a surface). In the second case,
    /// with `keep` buffers of a size all held, acquire() first waits (briefly) for the
    /// compositor to catch up with our requests: one that reads buffers in place hands the
    /// previous one back only once it has applied the commit that replaced it. Should it still
    /// hold them all, the one given out longest ago (not the last one) is taken back: some
    /// compositors hold on to buffers they no longer show.
    enum class Release { byCaller, byCompositor };

    /// `display` is needed for Release::byCompositor: releases arrive on a queue of our own.
    explicit ShmBuffers(wl_shm* shm, std::size_t keep = 8, Release release = Release::byCaller,
                        wl_display* display = nullptr);
    ~ShmBuffers();
    ShmBuffers(const ShmBuffers&) = delete;
    ShmBuffers& operator=(const ShmBuffers&) = delete;

    /// A free buffer of this format and size, made or reused; null when memory runs out.
    Buffer* acquire(std::uint32_t format, std::int32_t width, std::int32_t height,
                    std::int32_t stride);
    /// Hands `buffer` back once the compositor is done with it.
    void release(Buffer* buffer);
    /// How many buffers were made so far (not reused), for tests of the caching.
    [[nodiscard]] std::size_t made() const noexcept { return made_; }

private:
    struct Slot;
    [[nodiscard]] std::vector<std::unique_ptr<Slot>>::iterator freshestFree(std::uint32_t format,
                                                                            std::int32_t width,
                                                                            std::int32_t height,
                                                                            std::int32_t stride);
    /// Waits until the compositor has answered a request sent now (or a short while has
    /// passed), handling the releases that came meanwhile.
    void catchUp();

    wl_shm* shm_;
    wl_display* display_ = nullptr;
    wl_event_queue* queue_ = nullptr; ///< releases, only with Release::byCompositor
    wl_display* wrapper_ = nullptr;   ///< the display, its requests' answers on queue_
    std::size_t keep_;
    Release release_;
    std::size_t made_ = 0;
    std::uint64_t clock_ = 1; ///< counts acquire() calls
    std::vector<std::unique_ptr<Slot>> slots_;
};

} // namespace spanlet::wayland
