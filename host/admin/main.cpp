// jxc-admin: creates, fills and queries the host's database from a terminal.
#include "host/admin/AdminTool.h"
#include "platform/core/FileLog.h"
#include "platform/core/LocalZone.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // before any thread starts
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jxc-admin"));
    // Warnings and errors to the log; the terminal gets the tool's own words.
    platform::FileLogOptions log;
    log.echo = false;
    platform::InstallFileLog(QStringLiteral("jxc-admin"), log);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        in.setFileName(QString());
#ifdef Q_OS_WIN
    QStringList args = QCoreApplication::arguments(); // Windows hands over text, not bytes
    args.removeFirst();
#else
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);
#endif
    const int rc = host::admin::RunAdmin(args, in.isOpen() ? &in : nullptr, out, err);
    out.flush();
    err.flush();
    return rc;
}
