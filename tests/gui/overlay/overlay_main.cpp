// The overlay GUI tests run on two RandR monitors side by side, A (primary, scale 2) and B.
#include <QApplication>

#include "support/TestMain.hpp"

int main(int argc, char** argv) {
    return spanlet::test::runXTests<QApplication>(argc, argv, {"2304x800x24", true});
}
