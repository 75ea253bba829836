#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Like a Qt application, adopt the environment's locale: formatters must not depend on it.
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
