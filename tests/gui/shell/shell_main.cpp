#include <QApplication>

#include "support/TestMain.hpp"

int main(int argc, char** argv) {
    QApplication::setApplicationName(QStringLiteral("Spanlet"));
    QApplication::setApplicationVersion(QStringLiteral("1.4"));
    QApplication::setQuitOnLastWindowClosed(false);
    return spanlet::test::runXTests<QApplication>(argc, argv, {"1280x800x24"});
}
