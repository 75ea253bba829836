#pragma once

#include <QPoint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <spanlet/model/Preferences.hpp>
#include <spanlet/shell/SpanletApp.hpp>
#include <spanlet/shell/UpdatePrompts.hpp>

#include "support/Processes.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

/// A fresh folder under the test's runtime folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

/// Writes `prefs` as the stored preferences of the defaults folder `directory`.
void storePrefs(const std::filesystem::path& directory, const Preferences& prefs);
Preferences welcomedPrefs();

/// Records what the update checks would show.
class RecordingPrompts final : public UpdatePrompts {
public:
    std::vector<UpdateCheck::Alert> alerts;
    std::vector<std::pair<QString, QUrl>> offers;
    void alert(const UpdateCheck::Alert& a) override { alerts.push_back(a); }
    void offer(const QString& version, const QUrl& page) override {
        offers.emplace_back(version, page);
    }
};

/// A whole application on its own config folder, with recorded update prompts.
struct AppSession {
    /// `directory`: the defaults folder to use (empty: a fresh one); `prefs` are stored there
    /// unless nothing is given.
    explicit AppSession(std::optional<Preferences> prefs = welcomedPrefs(), QUrl feed = {},
                        std::filesystem::path directory = {});
    ~AppSession();

    TempDir config;
    std::filesystem::path directory;
    RecordingPrompts prompts;
    std::unique_ptr<SpanletApp> app;
};

/// A tray host (trayer) on the test's display, stopped when this goes.
class TrayHost {
public:
    TrayHost();
    ~TrayHost();
    /// Whether it runs and Qt sees it.
    [[nodiscard]] bool ok() const noexcept { return ok_; }

private:
    Background trayer_;
    bool ok_ = false;
};

/// Moves the pointer to `global` (root coordinates) and clicks `button` there.
void clickAt(QPoint global, int button = 1);

} // namespace spanlet::test
