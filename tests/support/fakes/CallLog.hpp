#pragma once

#include <string>
#include <vector>

namespace spanlet::fakes {

/// One list that several fakes append to, so a test can check the order of calls across ports.
struct CallLog {
    std::vector<std::string> entries;

    void clear() { entries.clear(); }
};

/// Appends to `log` when there is one.
inline void note(CallLog* log, const char* entry) {
    if (log != nullptr) {
        log->entries.emplace_back(entry);
    }
}

} // namespace spanlet::fakes
