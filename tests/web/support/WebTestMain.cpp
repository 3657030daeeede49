// Main of the web pane tests: a QApplication on the offscreen platform unless the environment
// asks for another, prepared for the browser engine, whose sandbox cannot run as root (the
// tests only show their own loopback pages).
#include "ticker/WebPane.h"

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    std::string flags =
        std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") ? std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") : "";
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-sandbox --disable-gpu").c_str(), 1);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
