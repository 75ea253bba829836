#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

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

void DesktopUpdatePrompts::offer(const QString& version, const QUrl& page) {
    const QString app = QCoreApplication::applicationName();
    QMessageBox box(QMessageBox::Information, tr("A new version is available"),
                    tr("A new version of %1 is available").arg(app), QMessageBox::NoButton);
    box.setInformativeText(tr("%1 %2 is out; you have %3. Open its download page?")
                               .arg(app, version, QCoreApplication::applicationVersion()));
    QPushButton* download = box.addButton(tr("Download"), QMessageBox::AcceptRole);
    box.addButton(tr("Later"), QMessageBox::RejectRole);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    if (box.clickedButton() == download) {
        QDesktopServices::openUrl(page);
    }
}

} // namespace spanlet
