#pragma once

#include <QString>
#include <QUrl>
#include <memory>

#include <spanlet/shell/UpdateCheck.hpp>

class QMessageBox;

namespace spanlet {

/// The windows the update checks show. The desktop one uses message boxes; tests record.
class UpdatePrompts {
public:
    virtual ~UpdatePrompts() = default;
    /// A plain informational alert with one "OK" button.
    virtual void alert(const UpdateCheck::Alert& alert) = 0;
    /// Offers release `version`, whose download page is `page`; opens it when the user agrees.
    virtual void offer(const QString& version, const QUrl& page) = 0;
};

/// Message boxes in front of everything, and the default browser for the download page.
class DesktopUpdatePrompts final : public UpdatePrompts {
public:
    void alert(const UpdateCheck::Alert& alert) override;
    void offer(const QString& version, const QUrl& page) override;

    /// The offer's message box, every text in it plain: `version` comes from the feed.
    [[nodiscard]] static std::unique_ptr<QMessageBox> offerBox(const QString& version);
};

} // namespace spanlet
