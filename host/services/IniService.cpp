#include "host/services/IniService.h"

#include "host/services/HostLook.h"
#include "platform/core/Exception.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace host {

namespace {

// "a/b" in QSettings means a group inside a group; the ini file has one level only.
QString FlatKey(const QString& section, const QString& key)
{
    QString s = section.trimmed();
    QString k = key.trimmed();
    if (k.isEmpty())
        throw platform::Exception(QStringLiteral("配置项名称不能为空"));
    if (s.contains(u'/') || s.contains(u'\\') || k.contains(u'/') || k.contains(u'\\'))
        throw platform::Exception(QStringLiteral("配置项名称无效：[%1] %2").arg(section, key));
    return s.isEmpty() ? k : s + u'/' + k;
}

} // namespace

QString IniService::DefaultFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (dir.isEmpty())
        dir = QDir::home().filePath(QStringLiteral(".jxc"));
    return dir;
}

IniService::IniService(const QString& folder) : folder_(folder.isEmpty() ? DefaultFolder() : folder)
{
    folder_ = QDir::cleanPath(QDir(folder_).absolutePath());
}

QString IniService::FilePath(const QString& fileName) const
{
    const QString name = fileName.trimmed();
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\') ||
        name.contains(u':'))
        throw platform::Exception(QStringLiteral("配置文件名无效：%1").arg(fileName));
    return QDir(folder_).filePath(name);
}

QString IniService::ReadString(const QString& section, const QString& key, const QString& fileName,
                               const QString& defaultValue)
{
    const QString path = FilePath(fileName);
    const QString flat = FlatKey(section, key);
    QSettings ini(path, QSettings::IniFormat);
    const QVariant v = ini.value(flat);
    // A list value ("a, b") comes back as a string list; the caller wants the text as written.
    if (!v.isValid())
        return defaultValue;
    if (v.userType() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void IniService::WriteString(const QString& section, const QString& key, const QString& value,
                             const QString& fileName)
{
    const QString path = FilePath(fileName);
    const QString flat = FlatKey(section, key);
    if (!QDir().mkpath(folder_))
        throw platform::Exception(QStringLiteral("无法创建配置文件夹：%1").arg(folder_));
    QSettings ini(path, QSettings::IniFormat);
    ini.setValue(OwnCopy(flat), OwnCopy(value));
    ini.sync();
    if (ini.status() != QSettings::NoError)
        throw platform::Exception(QStringLiteral("无法写入配置文件：%1").arg(path));
}

} // namespace host
