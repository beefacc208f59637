// Posting and saving a 1,000-line transfer bill on PostgreSQL through the database service (the
// block becomes one DO block), against the same work written by hand as one DO block and sent
// with libpq. Paired runs, each undone after; the median ratio, the statements the service sent
// per block and those the server counted (pg_stat_statements, where the server keeps it).
// Skipped when JXC_TEST_PG is unset. pg_posting_clerk posts as a workstation role of the clerk
// group (JXC_TEST_PG_CLERK) logged in as the bill's creator, so the server's rules check every
// row; its baseline is the same hand-written posting by the owner, whom the rules let through:
// the ratio is what the server's rights cost.
#include "bench/PgBench.h"

#include "host/admin/Passwords.h"
#include "host/db/DbService.h"
#include "host/db/engines/PgConnection.h"
#include "host/db/Schema.h"
#include "host/db/Transaction.h"
#include "plugin/Interface.h"
#include "platform/core/Exception.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <libpq-fe.h>
#include <vector>

namespace {

constexpr int Lines = 1000;
constexpr int Pairs = 15;

using Clock = std::chrono::steady_clock;

double Cpu()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

class Counting final : public host::db::Connection {
public:
    explicit Counting(std::unique_ptr<host::db::Connection> inner) : inner_(std::move(inner)) {}
    host::db::Engine GetEngine() const override { return inner_->GetEngine(); }
    qint64 ExecNative(const QString& sql, const QVector<QVariant>& params, host::db::RowSink* sink) override
    {
        ++statements;
        return inner_->ExecNative(sql, params, sink);
    }
    void BeginWrite() override { inner_->BeginWrite(); }
    void Commit() override { inner_->Commit(); }
    void Rollback() override { inner_->Rollback(); }
    bool InTransaction() const override { return inner_->InTransaction(); }
    qint64 NextSequenceValue(const QString& name) override { return inner_->NextSequenceValue(name); }
    host::db::Connection& Inner() { return *inner_; }

    int statements = 0;

private:
    std::unique_ptr<host::db::Connection> inner_;
};

QString Code(int i) { return QStringLiteral("BENCH%1").arg(i, 4, 10, QLatin1Char('0')); }

QString SaveBlock(qint64 id)
{
    QString b = QStringLiteral("  begin  Insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode,"
                               " GoodsCount, BillSum, BillStatus, AuditFlag, Remark, OptorCode, Create_time, modified_time,"
                               " deleted) values (%1,'DB-SAVE',sysdate,'S01','S02',1000,2500,0,0,'','op',sysdate,sysdate,0);")
                    .arg(id);
    for (int i = 1; i <= Lines; ++i)
        b += QStringLiteral(" Insert into Sto_AdjustBillDetail( ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, Model, Brand,"
                            " GoodsPrice, GoodsCount, PaySum, Remark, OptorCode, Create_time, modified_time, deleted) values"
                            " ( seq_jxcid.nextval,%1,'DB-SAVE','%2','测试商品%3','521001','','',2.5,1,2.5,'','op',sysdate,"
                            "sysdate,0);")
                 .arg(id)
                 .arg(Code(i))
                 .arg(i);
    return b + QStringLiteral("  end; ");
}

// Hand-written save: the same inserts as one DO block.
QString HandSave(const QString& block)
{
    QString body = block.trimmed();
    body = body.mid(5, body.size() - 5 - 4); // "begin" ... "end;"
    body.replace(QLatin1String("seq_jxcid.nextval"), QLatin1String("nextval('seq_jxcid')"));
    body.replace(QLatin1String("sysdate"), QLatin1String("now()::timestamp(0)"));
    return QStringLiteral("DO $h$BEGIN PERFORM %1; ").arg(QLatin1String(host::db::PgConnection::WriterLock)) + body
        + QStringLiteral(" END$h$");
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Exec(PGconn* pg, const char* sql)
{
    QString error;
    if (!jxcbench::PgExec(pg, sql, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
}

QByteArray Value(PGconn* pg, const char* sql)
{
    PGresult* r = PQexec(pg, sql);
    QByteArray v = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1 ? QByteArray(PQgetvalue(r, 0, 0)) : QByteArray();
    PQclear(r);
    return v;
}

// Statements the server ran since the statistics were reset, other than the statistics' own.
long long Received(PGconn* pg)
{
    return Value(pg, "SELECT coalesce(sum(calls), 0) FROM public.pg_stat_statements WHERE dbid = (SELECT oid FROM "
                     "pg_database WHERE datname = current_database()) AND query NOT LIKE '%pg_stat_statements%'")
        .toLongLong();
}

// Puts back what a posting or a save committed, outside the measured time.
void Undo(PGconn* pg)
{
    Exec(pg, "BEGIN; DELETE FROM Sto_GdsBillMain; DELETE FROM Sto_GdsBillDetail; DELETE FROM Gds_StockCount WHERE ID > 100000;"
             " UPDATE Gds_StockCount SET LeftCount = CASE WHEN StorageCode = 'S01' THEN 1000000 ELSE 5 END;"
             " UPDATE Sto_AdjustBillMain SET BillStatus = 2 WHERE ID = 7; DELETE FROM Sto_AdjustBillMain WHERE ID = 800001;"
             " DELETE FROM Sto_AdjustBillDetail WHERE BillID = 800001; COMMIT");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray target = jxcbench::PgTarget();
    if (target.isEmpty())
        return 0;
    const QString schema = QStringLiteral("jxc_pgblock_bench_%1").arg(QCoreApplication::applicationPid());
    auto setup = host::db::Open(QString::fromUtf8(target));
    setup->ExecNative(QStringLiteral("CREATE SCHEMA ") + schema, {}, nullptr);
    auto counting = std::make_unique<Counting>(host::db::Open(QString::fromUtf8(target)));
    Counting& conn = *counting;
    conn.Inner().ExecNative(QStringLiteral("SET search_path TO ") + schema, {}, nullptr);
    PGconn* pg = static_cast<host::db::PgConnection&>(conn.Inner()).Handle();
    int status = 0;
    try {
        host::db::CreateSchema(conn.Inner());
        {
            host::db::WriteTransaction tx(conn.Inner());
            QString seed = QStringLiteral("DO $s$BEGIN INSERT INTO bas_Storage(ID,StorageCode,StorageName,UseFlag) VALUES "
                                          "(1,'S01','源',1),(2,'S02','目',1);\n");
            for (int i = 1; i <= Lines; ++i) {
                seed += QStringLiteral("INSERT INTO Bas_GoodsInfo(ID,GoodsCode,GoodsName,UseFlag,Deleted) VALUES (%1,'%2','商品',1,0);"
                                       "INSERT INTO Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Deleted) "
                                       "VALUES (%3,1,'S01',%1,'%2',1000000,0);")
                            .arg(10000 + i)
                            .arg(Code(i))
                            .arg(20000 + i);
                if (i % 2 == 0)
                    seed += QStringLiteral("INSERT INTO Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,"
                                           "Deleted) VALUES (%1,2,'S02',%2,'%3',5,0);")
                                .arg(30000 + i)
                                .arg(10000 + i)
                                .arg(Code(i));
                seed += QStringLiteral("INSERT INTO Sto_AdjustBillDetail(ID,BillID,BillNo,GoodsCode,GoodsName,CalUnit,GoodsPrice,"
                                       "GoodsCount,PaySum,Remark,Deleted) VALUES (%1,7,'DB-7','%2','商品','521001',2.5,1.5,3.75,'',0);\n")
                            .arg(40000 + i)
                            .arg(Code(i));
            }
            seed += QStringLiteral("INSERT INTO Sto_AdjustBillMain(ID,BillNo,BillDate,Src_StorageCode,Des_StorageCode,GoodsCount,"
                                   "BillSum,BillStatus,AuditFlag,Auditor,OptorCode,Deleted) VALUES (7,'DB-7',now(),'S01','S02',"
                                   "1500,3750,2,1,'a','op',0); END$s$");
            conn.Inner().ExecNative(seed, {}, nullptr);
            conn.Inner().ExecNative(QStringLiteral("SELECT setval('seq_jxcid', 100000)"), {}, nullptr);
            tx.Commit();
        }
        jxcbench::PostingInput p;
        p.billId = 7;
        p.billNo = QStringLiteral("DB-7");
        p.srcStorage = QStringLiteral("S01");
        p.desStorage = QStringLiteral("S02");
        p.auditor = QStringLiteral("a");
        p.operatorCode = QStringLiteral("op");
        p.goodsCount = 1500;
        p.billSum = platform::Currency::FromDouble(3750);
        p.auditDate = QDateTime::currentDateTime();
        p.inId = 900001;
        p.outId = 900002;
        p.inNo = QStringLiteral("RK-7");
        p.outNo = QStringLiteral("CK-7");
        const QString posting = jxcbench::PostingBlock(p);
        const QString save = SaveBlock(800001);
        const QByteArray handPosting = "BEGIN; " + jxcbench::HandPosting(p).toUtf8(),
                         handSave = "BEGIN; " + HandSave(save).toUtf8();

        // The server's own count of statements, where it keeps one (pg_stat_statements).
        const bool stats = Value(pg, "SELECT count(*) FROM pg_extension WHERE extname = 'pg_stat_statements'") == "1";
        plugin::IntfPtr<host::db::DbService> owner(new host::db::DbService(std::move(counting)));
        host::db::DbService& service = *owner;
        // The service commits; each run is undone by a transaction around it that rolls back.
        auto timed = [&](auto&& work, double& cpu) {
            const double c0 = Cpu();
            const auto t0 = Clock::now();
            work();
            cpu = Cpu() - c0;
            return std::chrono::duration<double>(Clock::now() - t0).count();
        };
        struct Case {
            const char* name;
            const QString& block;
            const QByteArray& hand;
            host::db::DbService* by;
            Counting* counted;
        };
        std::vector<Case> cases{{"pg_posting", posting, handPosting, &service, &conn},
                                {"pg_save", save, handSave, &service, &conn}};
        plugin::IntfPtr<host::db::DbService> clerk;
        Counting* clerkConn = nullptr;
        const QString clerkTarget = qEnvironmentVariable("JXC_TEST_PG_CLERK");
        if (!clerkTarget.isEmpty()) {
            service.ExecSql("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, 'op', '制单')");
            host::admin::SetPassword(service, QStringLiteral("op"), QStringLiteral("bench"));
            auto counted = std::make_unique<Counting>(host::db::Open(clerkTarget));
            clerkConn = counted.get();
            clerkConn->Inner().ExecNative(QStringLiteral("SET search_path TO ") + schema, {}, nullptr);
            clerk = new host::db::DbService(std::move(counted));
            if (host::admin::CheckLogin(*clerk, 1, QStringLiteral("bench"), {}).outcome != host::admin::LoginOutcome::Ok)
                throw platform::Exception(QStringLiteral("the workstation role could not log in"));
            cases.push_back({"pg_posting_clerk", posting, handPosting, clerk.Get(), clerkConn});
        }
        for (const Case& k : cases) {
            std::vector<double> ratios, cpuRatios, serviceTimes, handTimes;
            int statements = 0;
            long long received = -1;
            for (int i = 0; i < Pairs + 1; ++i) {
                double cpuService = 0, cpuHand = 0;
                k.counted->statements = 0;
                if (stats)
                    Exec(pg, "SELECT public.pg_stat_statements_reset()");
                const double service_s = timed(
                    [&] {
                        k.by->ExecSql(k.block);
                    },
                    cpuService);
                statements = k.counted->statements;
                if (stats)
                    received = Received(pg);
                Undo(pg);
                const double hand_s = timed(
                    [&] {
                        Exec(pg, k.hand.constData());
                        Exec(pg, "COMMIT");
                    },
                    cpuHand);
                Undo(pg);
                if (i == 0)
                    continue; // warm-up pair
                ratios.push_back(service_s / hand_s);
                serviceTimes.push_back(service_s);
                handTimes.push_back(hand_s);
                cpuRatios.push_back(cpuService / std::max(cpuHand, 1e-6));
            }
            // Sent: what the service handed the connection (BEGIN travels with the block, COMMIT
            // follows). Received: what the server's statistics counted, BEGIN and COMMIT included.
            std::printf("ratio %s=%.2f cpu=%.2f pairs=%d service_ms=%.1f hand_ms=%.1f sent=%d round_trips=%d "
                        "server_statements=%s\n",
                        k.name, Median(ratios), Median(cpuRatios), Pairs, Median(serviceTimes) * 1e3,
                        Median(handTimes) * 1e3, statements, statements + 1,
                        received < 0 ? "n/a" : QByteArray::number(received).constData());
        }
    } catch (const platform::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    setup->ExecNative(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"), {}, nullptr);
    return status;
}
