// jxc-admin: creates, fills and queries the host's database from a terminal.
#include "host/admin/AdminTool.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jxc-admin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int rc = host::admin::RunAdmin(args, out, err);
    out.flush();
    err.flush();
    return rc;
}
