#pragma once

#include <memory>

#include <spanlet/platform/Platform.hpp>

namespace spanlet {

/// The display-server back end for this session, from those Spanlet is built with; nothing
/// when none of them can run here.
std::unique_ptr<Platform> loadPlatform();

} // namespace spanlet
