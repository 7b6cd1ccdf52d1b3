// main() of the tests that need widgets: the program's application object on the offscreen
// platform, then GoogleTest. The offscreen desktop has two monitors side by side (ZOR_OFFSCREEN_DESKTOP):
// a primary one of 1280 x 1024 pixels and a second one of 1920 x 1080 to its right.
#include "app/application.h"

#include <QFont>
#include <QFontDatabase>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" ZOR_OFFSCREEN_DESKTOP);
    Application app(argc, argv);
#ifdef _WIN32
    // Under Wine the offscreen platform has the host's fonts alone: Liberation Sans, drawn to Arial's
    // measures, stands in for Arial as it does on Linux.
    if (!QFontDatabase::families().contains(QStringLiteral("Arial")))
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
