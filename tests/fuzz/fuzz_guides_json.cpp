// Guides from arbitrary JSON text, and guide sets built from arbitrary doubles (NaN and the
// infinities included): decoding never throws, every operation keeps its invariants, and a
// decoded value survives encode -> decode unchanged.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <spanlet/Guides.hpp>

#include "FuzzCheck.hpp"

namespace {

using namespace spanlet;
using fuzz::require;

void checkSorted(const GuideSet& set, Axis axis) {
    const auto sorted = set.sorted(axis);
    std::size_t ofAxis = 0;
    for (const Guide& g : set.guides) {
        ofAxis += g.axis == axis ? 1 : 0;
    }
    require(sorted.size() == ofAxis);
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const double a = sorted[i - 1].position;
        const double b = sorted[i].position;
        // Numbers ascend; NaNs come only after every number.
        require(std::isnan(b) || (!std::isnan(a) && a <= b));
    }
    const auto gaps = set.gaps(axis);
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        require(gaps[i].axis == axis && gaps[i].to - gaps[i].from > 0.001);
        require(i == 0 || gaps[i - 1].to <= gaps[i].from);
    }
}

void checkOperations(const GuideSet& set) {
    checkSorted(set, Axis::vertical);
    checkSorted(set, Axis::horizontal);

    const auto order = set.keyboardOrder();
    require(static_cast<std::int64_t>(order.size()) == set.count());
    require(set.next(std::nullopt, true).has_value() == !set.isEmpty());
    for (const Guide& g : set.guides) {
        require(set.find(g.id) != nullptr);
        const auto place = set.position(g.id);
        require(place && place->index >= 1 && place->index <= place->count &&
                place->count == set.count());
        require(set.next(g.id, true).has_value() && set.next(g.id, false).has_value());
        const double along = g.axis == Axis::vertical ? g.position : 0;
        const double across = g.axis == Axis::horizontal ? g.position : 0;
        const auto hit = set.hit(along, across, 0.5);
        if (hit) {
            const double distance =
                std::abs((hit->axis == Axis::vertical ? along : across) - hit->position);
            require(distance <= 0.5);
        }
        // A guide at a number is always hit at its own position, by itself or an equal one.
        require(std::isnan(g.position) || std::isinf(g.position) || hit.has_value());
    }
}

void checkDecoded(std::string_view text) {
    if (const auto guide = decode<Guide>(text)) {
        require(std::isfinite(guide->position)); // stored positions are numbers
        require(decode<Guide>(Json::parse(encode(*guide))) == guide);
    }
    if (auto set = decode<GuideSet>(text)) {
        checkOperations(*set);
        require(decode<GuideSet>(Json::parse(encode(*set))) == set);
        if (!set->isEmpty()) {
            const Guide first = set->guides.front();
            set->nudge(first.id, 0.5, DisplayScale::retina);
            set->add(Axis::horizontal, first.position, DisplayScale(1.5));
            checkOperations(*set);
            require(decode<GuideSet>(Json::parse(encode(*set))) == set);
        }
    }
}

// Structured input: every 9 bytes are an axis byte and a raw double.
void checkBuilt(const std::uint8_t* data, std::size_t size) {
    GuideSet raw;
    GuideSet added;
    for (std::size_t at = 0; at + 9 <= size; at += 9) {
        const Axis axis = (data[at] & 1) != 0 ? Axis::horizontal : Axis::vertical;
        double position = 0;
        std::memcpy(&position, data + at + 1, sizeof position);
        raw.guides.push_back(Guide{Uuid(), axis, position});
        const Guide g = added.add(axis, position, DisplayScale((data[at] >> 1) % 4 + 1.0));
        added.nudge(g.id, position, DisplayScale::retina);
    }
    checkOperations(raw);
    checkOperations(added);
    for (const Guide& g : added.guides) {
        require(std::isfinite(g.position));
    }
    require(decode<GuideSet>(Json::parse(encode(added))) == added);

    // Near-valid text: the encoded set with one character replaced or removed, so the decoder
    // also meets documents that break deep inside a guide.
    std::string text = encode(added);
    if (size >= 3) {
        const std::size_t at = (std::size_t{data[0]} << 8 | data[1]) % text.size();
        const char c = static_cast<char>(data[size - 1]);
        if ((data[2] & 1) != 0) {
            text.erase(at, 1);
        } else {
            text[at] = c;
        }
    }
    checkDecoded(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkDecoded(fuzz::text(data, size));
    checkBuilt(data, size);
    return 0;
}
