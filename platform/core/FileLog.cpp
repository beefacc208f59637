#include "platform/core/FileLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <cstdio>

namespace platform {

namespace {

struct LogState {
    QMutex mutex;
    QString path;
    FileLogOptions options;
    QtMessageHandler previous = nullptr;
};

LogState& State()
{
    static LogState s;
    return s;
}

const char* Level(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "调试";
    case QtInfoMsg: return "信息";
    case QtWarningMsg: return "警告";
    case QtCriticalMsg: return "错误";
    case QtFatalMsg: return "致命";
    }
    return "";
}

// .log -> .log.1 -> ... -> .log.keep (dropped beyond).
void Rotate(const QString& path, int keep)
{
    QFile::remove(path + QStringLiteral(".%1").arg(keep));
    for (int i = keep - 1; i >= 1; --i)
        QFile::rename(path + QStringLiteral(".%1").arg(i), path + QStringLiteral(".%1").arg(i + 1));
    QFile::rename(path, path + QStringLiteral(".1"));
}

void Write(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    LogState& s = State();
    if (s.previous && s.options.echo)
        s.previous(type, context, text);
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QMutexLocker lock(&s.mutex);
    if (s.path.isEmpty())
        return;
    if (QFileInfo(s.path).size() > s.options.maxBytes)
        Rotate(s.path, s.options.keep);
    QFile f(s.path);
    if (!f.open(QIODevice::Append | QIODevice::Text))
        return;
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' '
        + QString::fromUtf8(Level(type)) + u' ' + QString::fromUtf8(context.category ? context.category : "default")
        + QStringLiteral(": ") + QString(text).replace(u'\n', QStringLiteral("\n    ")) + u'\n';
    f.write(line.toUtf8());
}

} // namespace

QString LogFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) {
#ifdef Q_OS_WIN
        state = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#else
        state = QDir::home().filePath(QStringLiteral(".local/state"));
#endif
    }
    return QDir(state).filePath(QStringLiteral("jxc"));
}

QString InstallFileLog(const QString& program, const FileLogOptions& options)
{
    LogState& s = State();
    const QString folder = LogFolder();
    {
        const QMutexLocker lock(&s.mutex);
        s.path = QDir().mkpath(folder) ? QDir(folder).filePath(program + QStringLiteral(".log")) : QString();
        s.options = options;
    }
    QtMessageHandler previous = qInstallMessageHandler(Write);
    if (previous != Write)
        s.previous = previous;
    return s.path;
}

void RemoveFileLog()
{
    LogState& s = State();
    qInstallMessageHandler(s.previous);
    const QMutexLocker lock(&s.mutex);
    s.path.clear();
    s.previous = nullptr;
}

} // namespace platform
