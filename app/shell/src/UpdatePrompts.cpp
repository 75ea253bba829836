#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>

#include <spanlet/shell/UpdatePrompts.hpp>

namespace spanlet {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Updater", text);
}

} // namespace

void DesktopUpdatePrompts::alert(const UpdateCheck::Alert& alert) {
    QMessageBox box(QMessageBox::Information, tr(alert.title.c_str()), tr(alert.title.c_str()),
                    QMessageBox::NoButton);
    box.setInformativeText(tr(alert.text.c_str()));
    box.addButton(tr("OK"), QMessageBox::AcceptRole);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

std::unique_ptr<QMessageBox> DesktopUpdatePrompts::offerBox(const QString& version) {
    const QString app = QCoreApplication::applicationName();
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Information, tr("A new version is available"),
        tr("A new version of %1 is available").arg(app), QMessageBox::NoButton);
    box->setInformativeText(tr("%1 %2 is out; you have %3. Open its download page?")
                                .arg(app, version, QCoreApplication::applicationVersion()));
    // Labels guess rich text from a "<"; a version like "<img src=file:…>" must stay text.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    box->addButton(tr("Download"), QMessageBox::AcceptRole);
    box->addButton(tr("Later"), QMessageBox::RejectRole);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}

void DesktopUpdatePrompts::offer(const QString& version, const QUrl& page) {
    const auto box = offerBox(version);
    box->exec();
    if (box->buttonRole(box->clickedButton()) == QMessageBox::AcceptRole &&
        page.scheme() == QStringLiteral("https")) {
        QDesktopServices::openUrl(page);
    }
}

} // namespace spanlet
