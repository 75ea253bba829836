#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <chrono>
#include <optional>
#include <string>

#include <spanlet/platform/PermissionPort.hpp>

namespace spanlet::kwin {

/// Screen capture on Plasma: KWin serves its screenshot interface only to a program that an
/// installed desktop entry names by its absolute path (Exec=) and lists the interface for
/// (X-KDE-DBUS-Restricted-Interfaces). Whether it serves us is asked by capturing one pixel,
/// waiting at most 300 ms for the answer (no answer counts as not served). Where it does not,
/// grant() writes such an entry for this very executable into the user's applications folder;
/// KWin reads it again within about a second, without a restart, and checkAgain() asks until
/// it has.
class PlasmaPermission final : public PermissionPort {
public:
    explicit PlasmaPermission(QDBusConnection bus);

    [[nodiscard]] CaptureAccess access() const override;
    /// KWin never prompts: the same answer as preflight().
    bool request() override { return preflight(); }
    /// Writes the desktop entry access() offers, unless a file of that name that we did not
    /// write is in the way.
    void grant() override;
    /// Asks without waiting; while KWin refuses, or is slow to answer, within 3 s of grant(),
    /// asks again 100 ms later.
    void checkAgain(const std::function<void(bool allowed)>& done) override;
    /// Says which file grant() writes, and what it allows.
    [[nodiscard]] std::string grantQuestion() const override;

    /// The entry that lets `executable` take screenshots; nothing when Exec= cannot name that
    /// path exactly.
    [[nodiscard]] static std::optional<std::string> entryText(const std::string& executable);
    /// Where the entry for `executable` goes: a name of its own in `applications`.
    [[nodiscard]] static std::string entryPath(const std::string& applications,
                                               const std::string& executable);
    /// Whether `text` is an entry this class wrote, which it may replace.
    [[nodiscard]] static bool writtenByUs(const std::string& text);
    /// Writes `text` to `path` atomically: a file that is not one of ours is left alone (false).
    static bool writeEntry(const std::string& path, const std::string& text);

private:
    enum class Answer { served, refused, failed };
    /// The call that asks KWin for one pixel, written into a pipe whose end to read goes to
    /// `readEnd`; `readEnd` stays as it was when there is no pipe.
    static QDBusMessage onePixel(int* readEnd);
    /// What `reply` to onePixel() says; closes `readEnd`. `why` gets KWin's message when it
    /// fails otherwise.
    static Answer answer(const QDBusMessage& reply, int readEnd, std::string* why);
    /// Asks KWin for one pixel, waiting at most 300 ms in all.
    Answer ask(std::string* why) const;

    QDBusConnection bus_;
    /// When grant() last wrote the entry: refusals soon after are asked again until KWin has
    /// read it.
    std::optional<std::chrono::steady_clock::time_point> written_;
    /// Owns checkAgain()'s calls and timers, so none answers after this object is gone.
    QObject context_;
};

} // namespace spanlet::kwin
