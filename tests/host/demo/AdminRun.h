#pragma once
// jxc-admin's commands run as functions, with what they print and their exit code.
#include "host/admin/AdminTool.h"

#include <QBuffer>
#include <QStringList>
#include <QTextStream>

struct AdminRun {
    int rc = -1;
    QString out, err;
};

// args as the program receives them (bytes) and what standard input holds.
inline AdminRun AdminBytes(const QList<QByteArray>& args, QByteArray input = {})
{
    AdminRun r;
    QTextStream out(&r.out), err(&r.err);
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    r.rc = host::admin::RunAdmin(args, &in, out, err);
    out.flush();
    err.flush();
    return r;
}

inline AdminRun Admin(const QStringList& args, const QByteArray& input = {})
{
    QList<QByteArray> bytes;
    for (const QString& a : args)
        bytes << a.toUtf8();
    return AdminBytes(bytes, input);
}
