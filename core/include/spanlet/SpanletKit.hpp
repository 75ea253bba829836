#pragma once

// The whole measurement core. Platform-free: standard library, nlohmann-json and libuuid only.
#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>
#include <spanlet/Commands.hpp>
#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>
#include <spanlet/Enum.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/Guides.hpp>
#include <spanlet/HashCombine.hpp>
#include <spanlet/Json.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/NumberText.hpp>
#include <spanlet/PixelBuffer.hpp>
#include <spanlet/RGBA.hpp>
#include <spanlet/Ruler.hpp>
#include <spanlet/ShortcutBindings.hpp>
#include <spanlet/Snap.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/Uuid.hpp>
