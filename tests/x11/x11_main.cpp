// The x11 tests run on an Xvfb of their own with two RandR monitors, the left one at scale 2.
#include <QGuiApplication>

#include "support/TestMain.hpp"

int main(int argc, char** argv) {
    return spanlet::test::runXTests<QGuiApplication>(argc, argv, {"2304x800x24", true});
}
