#pragma once

#include <QDBusConnection>
#include <QObject>
#include <filesystem>
#include <memory>
#include <vector>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

/// Still frames through the XDG desktop portal's ScreenCast interface: a session for every
/// monitor, without the pointer, one frame of each stream through PipeWire, and the session
/// closed. The desktop asks the user which monitors to share; the restore token it answers
/// is kept (persist_mode 2), so it asks only once while the user's choice stands. A token
/// the desktop no longer knows makes it ask again.
class PortalScreenCast final : public FrameSource {
public:
    /// Asks the portal on `bus` (the session bus), keeping the restore token in
    /// `stateDirectory` (created on the first write), by default defaultStateDirectory().
    explicit PortalScreenCast(QDBusConnection bus,
                              std::filesystem::path stateDirectory = defaultStateDirectory());
    ~PortalScreenCast() override;
    PortalScreenCast(const PortalScreenCast&) = delete;
    PortalScreenCast& operator=(const PortalScreenCast&) = delete;

    /// $XDG_STATE_HOME/spanlet, by default ~/.local/state/spanlet; empty without a home folder.
    static std::filesystem::path defaultStateDirectory();

    /// The file in the state folder that holds the restore token (as JSON).
    static constexpr const char* tokenKey = "screencast-restore-token";

    /// Grabs still under way when this object goes end and never answer.
    void grab(const std::vector<ScreenInfo>& displays,
              std::function<void(FrameResult)> done) override;

private:
    struct Grab;
    void selectSources(const std::shared_ptr<Grab>& grab);
    void start(const std::shared_ptr<Grab>& grab);
    void openRemote(const std::shared_ptr<Grab>& grab);
    [[nodiscard]] QString restoreToken() const;
    void keepRestoreToken(const QString& token);

    QDBusConnection bus_;
    FileDefaultsStore state_;
    /// The grabs under way.
    std::vector<std::weak_ptr<Grab>> grabs_;
    /// Parent of the requests under way: they end, unanswered, with this source.
    QObject requests_;
};

} // namespace spanlet::stillframe
