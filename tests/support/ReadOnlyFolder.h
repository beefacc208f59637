#pragma once
// A folder nobody may write to, for tests of writes that must fail and leave nothing behind.
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <unistd.h>

namespace jxctest {

// A locked folder inside dir, or /proc for a superuser, whom locks do not stop: /proc refuses
// every new file.
inline QString ReadOnlyFolder(const QTemporaryDir& dir)
{
    if (geteuid() == 0)
        return QStringLiteral("/proc");
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return locked;
}

} // namespace jxctest
