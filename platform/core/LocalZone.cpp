#include "platform/core/LocalZone.h"

#include <QFile>

namespace platform {

void KeepLocalZoneLoaded()
{
#if defined(Q_OS_UNIX)
    if (qEnvironmentVariableIsSet("TZ") || !QFile::exists(QStringLiteral("/etc/localtime")))
        return;
    qputenv("TZ", ":/etc/localtime");
#endif
}

} // namespace platform
