// Test entry point: a Qt event loop object for timers and sockets, and the
// C time locale that the program uses.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_TIME, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
