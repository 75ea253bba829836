// The ruler panel runs on two RandR monitors side by side: A (primary, scale 2: 576 × 400
// points) and B (scale 1: 1152 × 800 points from x = 1152).
#include <QApplication>
#include <cstdlib>

#include "support/TestMain.hpp"

int main(int argc, char** argv) {
    unsetenv("QT_ACCESSIBILITY");
    return spanlet::test::runXTests<QApplication>(argc, argv, {"2304x800x24", true});
}
