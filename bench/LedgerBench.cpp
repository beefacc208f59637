// The stock ledger of one goods in one storage with 100,000 movements: the ledger's read (the
// movements through the database service's OpenQuery, rows into plain movements, balances
// worked back from the stock count) against the same translated statement run on the raw engine
// handle with its rows read into plain structs and the same balances worked out. SQLite always;
// PostgreSQL too when JXC_TEST_PG names a server (a schema of its own, dropped afterwards).
#include "bench/BenchSupport.h"
#include "bench/PgBench.h"

#include "host/db/Transaction.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/engines/PgConnection.h"
#include "ledger/StockLedger.h"
#include "ledger/StockLedgerSql.h"
#include "platform/core/LocalZone.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <cmath>
#include <cstring>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

constexpr int Movements = 100000;
const QString Storage = QStringLiteral("01");
const QString Goods = QStringLiteral("LEDGER01");

// Every third bill takes goods out, the others bring them in; one minute apart, one line each.
const char* const SqliteSeed[] = {
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
    " INSERT INTO Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,BillStatus,AuditFlag,"
    "Remark,OptorCode,deleted) SELECT 10000000 + i, 'LB-' || i, datetime('2020-01-01 08:00:00', '+' || i || ' minutes'),"
    " CASE WHEN i % 3 = 0 THEN '12' ELSE '02' END, '01', 'DB-' || (i / 2), 4, 4, 1, '', '001', 0 FROM n",
    "INSERT INTO Sto_GdsBillDetail (ID,BillID,BillNo,BillType,GoodsCode,GoodsName,GoodsCount,Remark,OptorCode,deleted)"
    " SELECT ID + 10000000, ID, BillNo, BillType, 'LEDGER01', '台账商品', 1 + (ID % 7), '', '001', 0"
    " FROM Sto_GdsBillMain WHERE ID > 10000000",
    "INSERT INTO Gds_StockCount (ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Deleted)"
    " SELECT 30000000, 0, '01', 0, 'LEDGER01', sum(CASE WHEN BillType = '12' THEN 0 - GoodsCount ELSE GoodsCount END), 0"
    " FROM Sto_GdsBillDetail WHERE GoodsCode = 'LEDGER01'",
};

const char* const PgSeed[] = {
    "INSERT INTO Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,BillStatus,AuditFlag,"
    "Remark,OptorCode,deleted) SELECT 10000000 + i, 'LB-' || i, timestamp '2020-01-01 08:00:00' + i * interval '1 minute',"
    " CASE WHEN i % 3 = 0 THEN '12' ELSE '02' END, '01', 'DB-' || (i / 2), 4, 4, 1, '', '001', 0"
    " FROM generate_series(1, 100000) AS i",
    SqliteSeed[1],
    SqliteSeed[2],
    "ANALYZE",
};

// What the raw way keeps of a row: the same fields, read in their stored form.
struct RawMovement {
    qint64 id = 0;
    std::string date, billNo, billType, srcBillNo, remark;
    double in = 0, out = 0, balance = 0;
};

// Balances from the newest, as the ledger works them out.
void RawBalances(std::vector<RawMovement>& rows, double current)
{
    qint64 balance = std::llround(current * 100.0);
    for (RawMovement& m : rows) {
        m.balance = double(balance) / 100.0;
        balance -= std::llround(m.in * 100.0) - std::llround(m.out * 100.0);
    }
}

std::string Text(sqlite3_stmt* s, int c)
{
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
    return t ? std::string(t, size_t(sqlite3_column_bytes(s, c))) : std::string();
}

// The movements' statement carries the stock count in its last column, as the ledger reads it.
size_t RawSqlite(sqlite3* h, const QByteArray& movements)
{
    sqlite3_stmt* s = jxcbench::raw::Prepare(h, movements.constData());
    std::vector<RawMovement> rows;
    double current = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        if (rows.empty())
            current = sqlite3_column_double(s, 7);
        RawMovement& m = rows.emplace_back();
        m.id = sqlite3_column_int64(s, 0);
        m.date = Text(s, 1);
        m.billNo = Text(s, 2);
        m.billType = Text(s, 3);
        m.srcBillNo = Text(s, 4);
        m.remark = Text(s, 5);
        (m.billType[0] == '0' ? m.in : m.out) = sqlite3_column_double(s, 6);
    }
    sqlite3_finalize(s);
    RawBalances(rows, current);
    return rows.size();
}

size_t RawPg(PGconn* pg, const QByteArray& movements)
{
    PGresult* r = PQexec(pg, movements.constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK)
        throw std::runtime_error(PQresultErrorMessage(r));
    const int n = PQntuples(r);
    const double current = n ? std::atof(PQgetvalue(r, 0, 7)) : 0;
    std::vector<RawMovement> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        RawMovement& m = rows[size_t(i)];
        m.id = std::atoll(PQgetvalue(r, i, 0));
        m.date = PQgetvalue(r, i, 1);
        m.billNo = PQgetvalue(r, i, 2);
        m.billType = PQgetvalue(r, i, 3);
        m.srcBillNo = PQgetvalue(r, i, 4);
        m.remark = PQgetvalue(r, i, 5);
        (m.billType[0] == '0' ? m.in : m.out) = std::atof(PQgetvalue(r, i, 6));
    }
    PQclear(r);
    RawBalances(rows, current);
    return rows.size();
}

void Seed(host::db::Connection& c, const char* const* statements, size_t n)
{
    host::db::WriteTransaction tx(c);
    for (size_t i = 0; i < n; ++i)
        c.ExecNative(QString::fromUtf8(statements[i]), {}, nullptr);
    tx.Commit();
}

// The paired figure of one engine: the ledger's read against the raw read, in turn.
template <class Raw>
void Compare(const char* name, host::db::DbService& svc, Raw&& raw)
{
    const ledger::StockLedger check = ledger::StockLedger::Read(svc, Storage, Goods);
    if (check.Movements().size() != size_t(Movements) || raw() != size_t(Movements))
        throw std::runtime_error("the ledger does not hold the seeded movements");
    std::printf("%s: %zu movements, oldest balance %.2f, stock %.2f\n", name, check.Movements().size(),
                check.Movements().back().balance, check.CurrentCount());
    jxcbench::RunPairs(
        name, jxcbench::PairCount(),
        [&](jxcbench::IterationClock& clock) {
            clock.Start();
            const ledger::StockLedger l = ledger::StockLedger::Read(svc, Storage, Goods);
            benchmark::DoNotOptimize(l.Movements().data());
            clock.Stop();
        },
        [&](jxcbench::IterationClock& clock) {
            clock.Start();
            benchmark::DoNotOptimize(raw());
            clock.Stop();
        });
}

void SqliteFigure()
{
    host::db::DemoOptions o;
    o.bills = 0; // master data only; the movements are the benchmark's own
    jxcbench::SeededSqlite db(o);
    Seed(db.Service().GetConnection(), SqliteSeed, std::size(SqliteSeed));
    const auto lite = [](const QString& sql) { return host::db::Translate(sql, host::db::Engine::SQLite).toUtf8(); };
    const QByteArray movements = lite(ledger::MovementsSql(Storage, Goods));
    Compare("ledger_sqlite", db.Service(), [&] { return RawSqlite(db.Raw(), movements); });
}

void PgFigure()
{
    const QByteArray target = jxcbench::PgTarget();
    if (target.isEmpty())
        return;
    const QString server = QString::fromUtf8(target);
    const QString schema = QStringLiteral("jxcbl_%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const auto admin = [&server](const QString& sql) { host::db::Open(server)->ExecNative(sql, {}, nullptr); };
    admin(QStringLiteral("CREATE SCHEMA ") + schema);
    try {
        auto c = host::db::Open(server);
        c->ExecNative(QStringLiteral("SET search_path TO ") + schema, {}, nullptr);
        host::db::CreateSchema(*c);
        Seed(*c, PgSeed, std::size(PgSeed));
        PGconn* raw = dynamic_cast<host::db::PgConnection&>(*c).Handle();
        plugin::IntfPtr<host::db::DbService> svc(new host::db::DbService(std::move(c)));
        const auto pg = [](const QString& sql) { return host::db::Translate(sql, host::db::Engine::PostgreSQL).toUtf8(); };
        const QByteArray movements = pg(ledger::MovementsSql(Storage, Goods));
        Compare("ledger_pg", *svc, [&] { return RawPg(raw, movements); });
    } catch (...) {
        admin(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
        throw;
    }
    admin(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
}

} // namespace

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // as the host does, before any thread starts
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        SqliteFigure();
        PgFigure();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "LedgerBench: %s\n", e.what());
        return 1;
    }
    return 0;
}
