// measure(row, column, ...) runs on every capture while snapping: it must not touch the heap.
// The global allocation functions of this test binary are replaced by malloc-based ones that
// count calls while a test has switched counting on; otherwise they behave as usual.
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <vector>

#include <spanlet/EdgeDetector.hpp>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

// Every form is replaced: under the sanitizers the ones left alone would come from the
// sanitizer runtime and not match our frees.
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace spanlet {
namespace {

TEST(EdgeDetectorAllocationTest, MeasureOnLinesAllocatesNothing) {
    std::vector<RGBA> line(3000, RGBA::gray(200));
    for (std::size_t i = 0; i < line.size(); i += 7) {
        line[i] = RGBA::gray(static_cast<std::uint8_t>(i % 256)); // edges and blends everywhere
    }
    const auto options = EdgeOptions::fromTolerance(EdgeOptions::defaultTolerance);

    // Prove the counter works before trusting a zero.
    counting = true;
    void* probe = ::operator new(16); // a direct call, which the compiler may not elide
    counting = false;
    ::operator delete(probe);
    ASSERT_GT(allocations.exchange(0), 0);

    long found = 0;
    counting = true;
    for (std::int64_t x = 0; x < 3000; x += 97) {
        const auto m = EdgeDetector::measure(line, line, x, 1000, options);
        found += m ? m->width() : 0;
    }
    counting = false;

    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(found, 0);
}

} // namespace
} // namespace spanlet
