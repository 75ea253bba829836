#include <QGuiApplication>

#include "support/TestMain.hpp"

int main(int argc, char** argv) {
    return spanlet::test::runXTests<QGuiApplication>(argc, argv, {"1024x768x24"});
}
