// Test programs run on Qt's offscreen platform unless told otherwise; one QApplication each.
#include "platform/core/Currency.h"
#include "platform/core/LocalZone.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // before any thread starts
    platform::RegisterValueTypes();  // the host's registration, not a module's that may be unloaded
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jxc-tests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
