#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Cross.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/Uuid.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Messages.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/platform/Clipboard.hpp>

namespace spanlet {

/// Kept measurements, and copying a measurement as text; each is told as a message.
class Measurements {
public:
    /// `changed` runs after a kept measurement is removed. Each reference must outlive this.
    Measurements(const Observable<Preferences>& prefs, const PointerTracking& tracking,
                 const Observable<bool>& snapping, Clipboard& clipboard, Messages& messages,
                 std::function<void()> changed);
    Measurements(const Measurements&) = delete;
    Measurements& operator=(const Measurements&) = delete;

    [[nodiscard]] const Observable<std::vector<Pinned>>& pinned() const noexcept { return pinned_; }

    /// Keeps the live measurement.
    void pin();
    /// Copies the current measurement in the preferred style.
    void copyCurrent();
    void copy(Cross cross, CopyStyle style);
    void clear();
    void remove(Uuid id);
    /// The live measurement, else the last kept one, else nothing.
    [[nodiscard]] std::optional<Cross> current() const;

private:
    [[nodiscard]] std::string snappingHint() const;

    const Observable<Preferences>& prefs_;
    const PointerTracking& tracking_;
    const Observable<bool>& snapping_;
    Clipboard& clipboard_;
    Messages& messages_;
    std::function<void()> changed_;
    Observable<std::vector<Pinned>> pinned_;
};

} // namespace spanlet
