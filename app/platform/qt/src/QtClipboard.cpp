#include <QClipboard>
#include <QGuiApplication>

#include <spanlet/platform/qt/QtClipboard.hpp>

namespace spanlet {

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
}

} // namespace spanlet
