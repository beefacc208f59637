// The zone pin keeps a zone someone chose, and names the zone file only when none is.
#include "platform/core/LocalZone.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(LocalZone, PinsTheZoneFileOnlyWhenNoZoneIsChosen)
{
    // Put TZ back as the test main left it.
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray was = qgetenv("TZ");
    qputenv("TZ", "Asia/Shanghai");
    platform::KeepLocalZoneLoaded();
    EXPECT_EQ(qgetenv("TZ"), "Asia/Shanghai");
#if defined(Q_OS_UNIX)
    qunsetenv("TZ");
    platform::KeepLocalZoneLoaded();
    if (QFile::exists(QStringLiteral("/etc/localtime")))
        EXPECT_EQ(qgetenv("TZ"), ":/etc/localtime");
    else
        EXPECT_FALSE(qEnvironmentVariableIsSet("TZ"));
#endif
    if (wasSet)
        qputenv("TZ", was);
    else
        qunsetenv("TZ");
}
