// Test main for tests that need a real X server in this process (hot keys, windows, grabs): a private
// Xvfb for the whole binary, and a QApplication connected to it. Listing tests starts nothing.
#include "tests/support/XvfbServer.hpp"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool isListingOnly(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    testing::InitGoogleTest(&argc, argv);
    if (isListingOnly(argc, argv)) {
        return RUN_ALL_TESTS();
    }
    const char* screen = std::getenv("QUILLET_TEST_SCREEN");
    quillet::testing::XvfbServer server(screen ? screen : "1280x800x24");
    if (!server.isRunning()) {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }
    qputenv("DISPLAY", server.display().c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    auto app = std::make_unique<QApplication>(argc, argv);
    const int result = RUN_ALL_TESTS();
    app.reset();
    return result;
}
