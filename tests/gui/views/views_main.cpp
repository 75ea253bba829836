#include <QApplication>

#include "support/TestMain.hpp"

int main(int argc, char** argv) {
    return spanlet::test::runXTests<QApplication>(argc, argv, {"1280x1024x24"});
}
