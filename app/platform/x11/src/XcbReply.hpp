#pragma once

#include <cstdlib>
#include <memory>

namespace spanlet::x11 {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};

/// Owns an XCB reply, error or event, which the library allocates with malloc.
template <class T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

/// Takes ownership of `r` (which may be null).
template <class T>
XcbReply<T> reply(T* r) {
    return XcbReply<T>(r);
}

} // namespace spanlet::x11
