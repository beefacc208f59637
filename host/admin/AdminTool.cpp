#include "host/admin/AdminTool.h"
#include "JxcVersion.h"

#include "host/admin/Passwords.h"
#include "host/admin/TextTable.h"
#include "host/db/DbService.h"
#include "host/admin/DemoData.h"
#include "host/db/Schema.h"
#include "host/db/ServerRights.h"
#include "host/db/engines/PgConnection.h"
#include "host/db/Transaction.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/blocks/BlockRunner.h"

#include <QElapsedTimer>
#include <libpq-fe.h>
#include <QIODevice>
#include <QStringDecoder>
#include <QTextStream>
#include <memory>
#include <optional>

namespace host::admin {

namespace {

// check-ledger: every stock count against the stock bills of its storage and goods (not deleted;
// a type beginning with 0 brings goods in, any other takes them out, as model::StockBillTypeIsIn
// has it), in two set-based statements.
const QString kLedgerMovements = QStringLiteral(
    "select m.StorageCode, d.GoodsCode,"
    " sum(case when substr(m.BillType, 1, 1) = '0' then d.GoodsCount else 0 - d.GoodsCount end) as Moved"
    " from Sto_GdsBillMain m inner join Sto_GdsBillDetail d on d.BillID = m.ID"
    " where nvl(m.deleted, 0) = 0 and nvl(d.deleted, 0) = 0 group by m.StorageCode, d.GoodsCode");
// Counts kept to two decimals: a difference under half a hundredth is rounding, not a gap.
const QString kUnexplainedCounts = QStringLiteral(
    "select k.StorageCode, k.GoodsCode, k.LeftCount as StockCount, nvl(b.Moved, 0) as BillSum,"
    " round(nvl(k.LeftCount, 0) - nvl(b.Moved, 0), 2) as Difference"
    " from Gds_StockCount k left join (%1) b on b.StorageCode = k.StorageCode and b.GoodsCode = k.GoodsCode"
    " where abs(nvl(k.LeftCount, 0) - nvl(b.Moved, 0)) >= 0.005 order by k.StorageCode, k.GoodsCode")
    .arg(kLedgerMovements);
const QString kMovementsWithoutCount = QStringLiteral(
    "select b.StorageCode, b.GoodsCode, b.Moved as BillSum from (%1) b where not exists"
    " (select 1 from Gds_StockCount k where k.StorageCode = b.StorageCode and k.GoodsCode = b.GoodsCode)"
    " order by b.StorageCode, b.GoodsCode")
    .arg(kLedgerMovements);

struct Options {
    QString db;
    db::TransportPolicy transport;
    QString command;
    QStringList rest;
    std::optional<int> bills, lines;
    std::optional<quint64> seed;
};

struct UsageError {
    QString message;
};

int ParseCount(const QString& option, const QString& value, int lo, int hi)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < lo || n > hi)
        throw UsageError{QStringLiteral("%1 needs a whole number from %2 to %3, not \"%4\"").arg(option).arg(lo).arg(hi).arg(value)};
    return n;
}

// An argument that starts like an option but is SQL text: "-- a comment" followed by a statement.
bool IsText(const QString& arg)
{
    return arg.startsWith(QLatin1String("--")) && arg.size() > 2 && arg[2].isSpace();
}

// Text handed over as bytes must be UTF-8: anything else would be stored with replacement
// characters in place of what the user wrote.
std::optional<QString> DecodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

Options Parse(const QStringList& args)
{
    Options o;
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnd || IsText(a)) {
            if (o.command.isEmpty())
                o.command = a;
            else
                o.rest << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnd = true; // what follows is text, even when it starts with "--"
            continue;
        }
        auto value = [&]() -> QString {
            const int eq = a.indexOf(u'=');
            if (a.startsWith(QLatin1String("--")) && eq > 0)
                return a.mid(eq + 1);
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(a)};
            return args[++i];
        };
        const QString name = a.startsWith(QLatin1String("--")) ? a.section(u'=', 0, 0) : a;
        if (name == QLatin1String("--db"))
            o.db = value();
        else if (name == QLatin1String("--db-ca"))
            o.transport.caFile = value();
        else if (a == QLatin1String("--db-insecure"))
            o.transport.insecure = true;
        else if (name == QLatin1String("--bills"))
            o.bills = ParseCount(QStringLiteral("--bills"), value(), 0, 1000000);
        else if (name == QLatin1String("--lines"))
            o.lines = ParseCount(QStringLiteral("--lines"), value(), 1, 100);
        else if (name == QLatin1String("--seed")) {
            bool ok = false;
            const QString v = value();
            o.seed = v.toULongLong(&ok);
            if (!ok)
                throw UsageError{QStringLiteral("--seed needs a whole number, not \"%1\"").arg(v)};
        } else if (name == QLatin1String("--help") || name == QLatin1String("-h"))
            o.command = QStringLiteral("help");
        else if (name == QLatin1String("--version") || name == QLatin1String("-V"))
            o.command = QStringLiteral("version");
        else if (a.startsWith(QLatin1String("--")))
            throw UsageError{QStringLiteral("Unknown option %1").arg(a)};
        else if (o.command.isEmpty())
            o.command = a;
        else
            o.rest << a;
    }
    return o;
}

QString TargetOf(const Options& o)
{
    return o.db.isEmpty() ? QStringLiteral("sqlite:") + db::DefaultDatabasePath() : o.db;
}

plugin::IntfPtr<db::DbService> OpenService(const Options& o)
{
    return plugin::IntfPtr<db::DbService>(new db::DbService(db::Open(TargetOf(o), o.transport)));
}

// The service over a database whose tables are current (brought up to date when they are not),
// for the commands that work on the operators.
plugin::IntfPtr<db::DbService> OpenCurrent(const Options& o)
{
    auto svc = OpenService(o);
    db::OpenSchema(svc->GetConnection());
    return svc;
}

// The first line of standard input without its line end; nullopt when it is not UTF-8.
std::optional<QString> FirstLine(QIODevice* in)
{
    QByteArray line = in ? in->readLine() : QByteArray();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return DecodeUtf8(line);
}

QString ServerValue(db::Connection& c, const QString& sql, const QVector<QVariant>& params = {})
{
    struct First : db::RowSink {
        QString value;
        void Columns(const QVector<db::ResultColumn>&) override {}
        bool Row(QVariant* v) override
        {
            value = v[0].toString();
            return false;
        }
    } sink;
    c.ExecNative(sql, params, &sink);
    return sink.value;
}

// What a server's owner should know after init: whether the workstations' group exists and
// whether the session-wide advisory locks are still open to every role.
void ReportServerRights(db::Connection& c, QTextStream& out)
{
    const QString group = QLatin1String(db::ClerkGroup);
    if (ServerValue(c, QStringLiteral("SELECT to_regrole($1) IS NOT NULL"), {group}) != u"true") {
        out << "Warning: the group role " << group << " does not exist and this role may not make it, so no rights were\n"
            << "granted. Ask a superuser to run CREATE ROLE " << group << " NOLOGIN; and run init again.\n";
        return;
    }
    out << "Workstations log in as members of " << group << " (jxc-admin add-clerk ROLE)\n";
    if (ServerValue(c, QStringLiteral("SELECT has_function_privilege('%1', 'pg_advisory_lock(bigint)', 'EXECUTE')").arg(group))
        == u"true")
        out << "Warning: the session-wide advisory-lock functions are open to every role; run init once as a\n"
            << "superuser to close them to the workstations.\n";
}

int Init(const Options& o, QTextStream& out)
{
    auto svc = OpenService(o);
    db::CreateSchema(svc->GetConnection());
    out << "Schema ready: " << db::SchemaTables(svc->GetConnection()).size() << " tables in " << TargetOf(o) << "\n";
    if (db::ServerKeepsRights(svc->GetConnection()))
        ReportServerRights(svc->GetConnection(), out);
    return ExitOk;
}

// add-clerk ROLE: a login role in the workstations' group with their timeouts. Its password,
// when one is given on standard input, goes to the server as a SCRAM verifier worked out here,
// so the plain text never reaches the server or its logs.
int AddClerk(const Options& o, QIODevice* in, QTextStream& out)
{
    if (o.rest.size() != 1)
        throw UsageError{QStringLiteral("add-clerk takes exactly one argument: the login role's name")};
    const auto password = FirstLine(in);
    if (!password)
        throw UsageError{QStringLiteral("the password is not valid UTF-8 text; nothing was changed")};
    auto svc = OpenService(o);
    auto* pg = dynamic_cast<db::PgConnection*>(&svc->GetConnection());
    if (!pg)
        throw UsageError{QStringLiteral("add-clerk is for a PostgreSQL server: a database file has no login roles")};
    db::OpenSchema(*pg);
    const QString role = o.rest.front().trimmed();
    const QString quoted = ServerValue(*pg, QStringLiteral("SELECT quote_ident($1)"), {role});
    QString verifier;
    if (!password->isEmpty()) {
        const QByteArray user = role.toUtf8(), plain = password->toUtf8();
        char* v = PQencryptPasswordConn(pg->Handle(), plain.constData(), user.constData(), nullptr);
        if (!v)
            throw platform::EDatabaseError(QString::fromUtf8(PQerrorMessage(pg->Handle())).trimmed());
        const QString scram = QString::fromLatin1(v);
        PQfreemem(v);
        verifier = ServerValue(*pg, QStringLiteral("SELECT quote_literal($1)"), {scram});
    }
    const bool exists = ServerValue(*pg, QStringLiteral("SELECT to_regrole($1) IS NOT NULL"), {quoted}) == u"true";
    QStringList statements;
    statements << (exists ? QStringLiteral("ALTER ROLE %1 LOGIN").arg(quoted)
                          : QStringLiteral("CREATE ROLE %1 LOGIN").arg(quoted));
    statements << QStringLiteral("GRANT %1 TO %2").arg(QLatin1String(db::ClerkGroup), quoted);
    if (!verifier.isEmpty())
        statements << QStringLiteral("ALTER ROLE %1 PASSWORD %2").arg(quoted, verifier);
    statements << db::ClerkRoleSettings(quoted);
    db::WriteTransaction tx(*pg);
    for (const QString& sql : statements)
        pg->ExecNative(sql, {}, nullptr);
    tx.Commit();
    out << "Role " << role << (exists ? " is now" : " made as") << " a workstation of " << db::ClerkGroup
        << (verifier.isEmpty() ? " (no password: it logs in as pg_hba.conf allows)\n" : "\n");
    return ExitOk;
}

int Seed(const Options& o, QTextStream& out)
{
    db::DemoOptions opts;
    if (o.bills)
        opts.bills = *o.bills;
    if (o.lines)
        opts.linesPerBill = *o.lines;
    if (o.seed)
        opts.seed = *o.seed;
    auto svc = OpenService(o);
    db::Connection& c = svc->GetConnection();
    QElapsedTimer timer;
    timer.start();
    db::CreateSchema(c);
    const db::DemoSummary s = db::SeedDemo(c, opts);
    out << "Demo data written to " << TargetOf(o) << " in " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s\n"
        << "  storages        " << s.storages << "\n"
        << "  goods           " << s.goods << "\n"
        << "  operators       " << s.operators << " (001 all rights, 002 food and daily goods, 003 browse only)\n"
        << "  stock rows      " << s.stockRows << "\n"
        << "  transfer bills  " << s.bills << " with " << s.lines << " lines\n"
        << "  stock bills     " << s.stockBills << " with " << s.stockBillLines << " lines\n"
        << "  opening bills   " << s.openingBills << " with " << s.openingBillLines << " lines\n";
    return ExitOk;
}

int Sql(const Options& o, QIODevice* in, QTextStream& out)
{
    if (o.rest.size() != 1)
        throw UsageError{QStringLiteral("sql takes exactly one argument: the statement, the block, or - for standard input")};
    QString sql = o.rest.front();
    if (sql == QLatin1String("-")) {
        const auto text = DecodeUtf8(in ? in->readAll() : QByteArray());
        if (!text)
            throw UsageError{QStringLiteral("standard input is not valid UTF-8 text; nothing was run")};
        sql = *text;
    }
    if (sql.trimmed().isEmpty())
        throw UsageError{QStringLiteral("No SQL given")};
    auto svc = OpenService(o);
    if (IsQuery(sql)) {
        std::unique_ptr<platform::Dataset> ds(svc->OpenQuery(sql));
        out << FormatTable(*ds);
    } else if (db::IsBlock(sql)) {
        svc->ExecSql(sql); // one transaction: all of the block or nothing
        out << "Block executed and committed\n";
    } else {
        db::Connection& c = svc->GetConnection();
        qint64 n = 0;
        try {
            db::WriteTransaction tx(c);
            n = db::Execute(c, sql);
            tx.Commit();
        } catch (const platform::EDatabaseError&) {
            throw;
        } catch (const platform::Exception& e) {
            throw platform::EDatabaseError(e.Message());
        }
        if (n >= 0)
            out << n << (n == 1 ? " row affected\n" : " rows affected\n");
        else
            out << "Statement executed\n";
    }
    return ExitOk;
}

// passwd CODE: the new password is the first line of standard input, never an argument that
// other users of the machine could read from the process list.
int Passwd(const Options& o, QIODevice* in, QTextStream& out)
{
    if (o.rest.size() != 1)
        throw UsageError{QStringLiteral("passwd takes exactly one argument: the operator's code")};
    const auto password = FirstLine(in);
    if (!password)
        throw UsageError{QStringLiteral("the password is not valid UTF-8 text; nothing was changed")};
    if (password->isEmpty())
        throw UsageError{QStringLiteral("no password on standard input; nothing was changed (an empty password is not allowed)")};
    auto svc = OpenCurrent(o);
    SetPassword(*svc, o.rest.front(), *password);
    out << "Password set for operator " << o.rest.front().trimmed() << "\n";
    return ExitOk;
}

int Migrate(const Options& o, QTextStream& out)
{
    if (!o.rest.isEmpty())
        throw UsageError{QStringLiteral("migrate-passwords takes no argument \"%1\"").arg(o.rest.front())};
    auto svc = OpenCurrent(o);
    const int n = MigratePasswords(*svc);
    out << n << (n == 1 ? " password moved into a hash\n" : " passwords moved into hashes\n");
    return ExitOk;
}

// history BILLNO: the audit trail of a transfer bill, its lines and the stock bills posted
// from it, oldest first.
int History(const Options& o, QTextStream& out)
{
    if (o.rest.size() != 1)
        throw UsageError{QStringLiteral("history takes exactly one argument: the bill's number")};
    auto svc = OpenService(o);
    const QString no = o.rest.front().trimmed();
    std::unique_ptr<platform::Dataset> ds(svc->OpenQuery(
        QStringLiteral("select ChangedAt, OperatorCode, DbRole, ClientAddr, TableName, Action, BillNo, OldValues, NewValues"
                       " from sys_auditlog where BillNo = :1 or SrcBillNo = :1"
                       " or BillNo in (select BillNo from Sto_GdsBillMain where SrcBillNo = :1) order by ID"),
        {no}));
    if (ds->IsEmpty()) {
        out << "No change of bill " << no << " is on record\n";
        return ExitOk;
    }
    out << FormatTable(*ds);
    return ExitOk;
}

// check-ledger: the stock counts the stock bills do not explain, and the stock bills' storages
// and goods that have no stock count; ExitUnexplained when there is any.
int CheckLedger(const Options& o, QTextStream& out)
{
    if (!o.rest.isEmpty())
        throw UsageError{QStringLiteral("check-ledger takes no argument \"%1\"").arg(o.rest.front())};
    auto svc = OpenService(o);
    std::unique_ptr<platform::Dataset> counts(svc->OpenQuery(kUnexplainedCounts, {}));
    std::unique_ptr<platform::Dataset> orphans(svc->OpenQuery(kMovementsWithoutCount, {}));
    if (counts->IsEmpty() && orphans->IsEmpty()) {
        const QString rows = svc->QueryValue(QStringLiteral("select count(*) from Gds_StockCount"), {});
        out << QStringLiteral("全部 %1 条库存数都与出入库单相符\n").arg(rows);
        return ExitOk;
    }
    if (!counts->IsEmpty())
        out << QStringLiteral("出入库单不能说明的库存数：\n") << FormatTable(*counts);
    if (!orphans->IsEmpty())
        out << (counts->IsEmpty() ? "" : "\n") << QStringLiteral("没有库存数的出入库单仓库和商品：\n")
            << FormatTable(*orphans);
    return ExitUnexplained;
}

int Unlock(const Options& o, QTextStream& out)
{
    if (o.rest.size() != 1)
        throw UsageError{QStringLiteral("unlock takes exactly one argument: the operator's code")};
    auto svc = OpenCurrent(o);
    UnlockOperator(*svc, o.rest.front());
    out << "Operator " << o.rest.front().trimmed() << " may log in again\n";
    return ExitOk;
}

} // namespace

QString Usage()
{
    return QStringLiteral(
        "Usage: jxc-admin [--db TARGET] [--db-ca FILE] [--db-insecure] COMMAND\n"
        "Commands:\n"
        "  init                         create the tables, sequence and counters (keeps existing data)\n"
        "  seed-demo [--bills N] [--lines N] [--seed N]\n"
        "                               fill an empty database with demo data (default 240 bills,\n"
        "                               5 lines on average)\n"
        "  sql \"SQL\"                    run one Oracle-dialect statement or anonymous block;\n"
        "                               a select prints its rows, \"-\" reads the text from standard input;\n"
        "                               text that starts with \"--\" goes after a \"--\" separator:\n"
        "                               sql -- \"--comment ...\"\n"
        "  passwd CODE                  set an operator's password, read from the first line of\n"
        "                               standard input (never give it as an argument)\n"
        "  migrate-passwords            move plain and SHA-256 passwords into Argon2id hashes\n"
        "  unlock CODE                  clear an operator's failed logins and lockout\n"
        "  add-clerk ROLE               on a server: make ROLE a workstation's login role (the group\n"
        "                               jxc_clerk, its timeouts); its password, if any, is the first\n"
        "                               line of standard input\n"
        "  history BILLNO               print the audit trail of a transfer bill, its lines and the\n"
        "                               stock bills posted from it\n"
        "  check-ledger                 compare every stock count with the sum of its stock bills;\n"
        "                               print the counts they do not explain and the stock bills'\n"
        "                               storages and goods without a stock count (exit status 3)\n"
        "Options:\n"
        "  -h, --help                   display this help and exit\n"
        "  -V, --version                output version information and exit\n"
        "Text is UTF-8; other bytes are refused.\n"
        "TARGET: sqlite:PATH, a file path, postgresql://... or a libpq \"key=value\" string.\n"
        "A server on another host is reached only over TLS verified against --db-ca FILE (or the\n"
        "sslrootcert the target names), unless --db-insecure is given. Keep the server's password\n"
        "in libpq's password file (~/.pgpass) or a service file, never in TARGET on the command line.\n"
        "Default: %1\n")
        .arg(db::DefaultDatabasePath());
}

bool IsQuery(const QString& sql)
{
    int i = 0;
    const int n = sql.size();
    for (;;) {
        while (i < n && (sql[i].isSpace() || sql[i] == u'('))
            ++i;
        if (sql.mid(i, 2) == QLatin1String("--")) {
            while (i < n && sql[i] != u'\n')
                ++i;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            break;
        }
    }
    auto word = [&](const char* w) {
        const int len = int(qstrlen(w));
        return sql.mid(i, len).compare(QLatin1String(w), Qt::CaseInsensitive) == 0
            && (i + len >= n || !(sql[i + len].isLetterOrNumber() || sql[i + len] == u'_'));
    };
    return word("select") || word("with");
}

int RunAdmin(const QList<QByteArray>& args, QIODevice* in, QTextStream& out, QTextStream& err)
{
    QStringList text;
    for (int i = 0; i < args.size(); ++i) {
        const auto arg = DecodeUtf8(args[i]);
        if (!arg) {
            err << "jxc-admin: argument " << (i + 1) << " is not valid UTF-8 text; nothing was run\n";
            return ExitUsage;
        }
        text << *arg;
    }
    return RunAdmin(text, in, out, err);
}

int RunAdmin(const QStringList& args, QIODevice* in, QTextStream& out, QTextStream& err)
{
    try {
        const Options o = Parse(args);
        if (o.command == QLatin1String("version")) {
            out << QStringLiteral("jxc-admin %1\n").arg(QStringLiteral(JXC_VERSION));
            return ExitOk;
        }
        if (o.command.isEmpty() || o.command == QLatin1String("help")) {
            (o.command.isEmpty() ? err : out) << Usage();
            return o.command.isEmpty() ? ExitUsage : ExitOk;
        }
        if (o.command == QLatin1String("init") || o.command == QLatin1String("seed-demo")) {
            if (!o.rest.isEmpty())
                throw UsageError{QStringLiteral("%1 takes no argument \"%2\"").arg(o.command, o.rest.front())};
            return o.command == QLatin1String("init") ? Init(o, out) : Seed(o, out);
        }
        if (o.command == QLatin1String("sql"))
            return Sql(o, in, out);
        if (o.command == QLatin1String("passwd"))
            return Passwd(o, in, out);
        if (o.command == QLatin1String("migrate-passwords"))
            return Migrate(o, out);
        if (o.command == QLatin1String("unlock"))
            return Unlock(o, out);
        if (o.command == QLatin1String("add-clerk"))
            return AddClerk(o, in, out);
        if (o.command == QLatin1String("history"))
            return History(o, out);
        if (o.command == QLatin1String("check-ledger"))
            return CheckLedger(o, out);
        throw UsageError{QStringLiteral("Unknown command \"%1\"").arg(o.command)};
    } catch (const UsageError& e) {
        err << "jxc-admin: " << e.message << "\n\n" << Usage();
        return ExitUsage;
    } catch (const platform::Exception& e) {
        err << "jxc-admin: " << e.Message() << "\n";
        return ExitFailed;
    } catch (const std::exception& e) {
        err << "jxc-admin: " << QString::fromLocal8Bit(e.what()) << "\n";
        return ExitFailed;
    }
}

} // namespace host::admin
