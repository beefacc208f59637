#pragma once
// jxc-admin's commands, callable without a process:
//   jxc-admin [--db TARGET] init
//   jxc-admin [--db TARGET] seed-demo [--bills N] [--lines N] [--seed N]
//   jxc-admin [--db TARGET] sql "<Oracle SQL or anonymous block>"   ("-" reads standard input)
//   jxc-admin [--db TARGET] passwd CODE            (the password: standard input's first line)
//   jxc-admin [--db TARGET] migrate-passwords
//   jxc-admin [--db TARGET] unlock CODE
//   jxc-admin [--db TARGET] history BILLNO
//   jxc-admin [--db TARGET] check-ledger           (ExitUnexplained when a count is not explained)
// TARGET is sqlite:PATH, a file path, postgresql://... or a libpq "key=value" string; the
// default is the host's own SQLite file (host::db::DefaultDatabasePath).
#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

namespace host::admin {

// ExitUnexplained: check-ledger found stock counts their stock bills do not explain.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2, ExitUnexplained = 3 };

// args without the program name, as the program received them; text that is not UTF-8 is
// refused. in is read for "sql -" and "passwd" and may be null (no input). Results go to out, errors and
// usage to err.
int RunAdmin(const QList<QByteArray>& args, QIODevice* in, QTextStream& out, QTextStream& err);
// The same with arguments already decoded.
int RunAdmin(const QStringList& args, QIODevice* in, QTextStream& out, QTextStream& err);

// The usage text.
QString Usage();

// True when the text is a query (select / with) rather than a statement or a block.
bool IsQuery(const QString& sql);

} // namespace host::admin
