// The window's tests need one QApplication for the whole run, created before any
// test; without a display they use Qt's offscreen platform.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    // Each test closes windows of its own; the application outlives them all.
    application.setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
