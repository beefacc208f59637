// Posting and saving a 1,000-line transfer bill on PostgreSQL through the database service (the
// block becomes one DO block), against the same work written by hand as one DO block and sent
// with libpq. Paired runs, each undone after; the median ratio and the statements the service
// sent per block (counted at the connection: the test server has no pg_stat_statements).
// Skipped when JXC_TEST_PG is unset.
#include "bench/PostingBlock.h"

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

// The posting written by hand in PL/pgSQL, statement for statement as the module's block: state
// check, both stock bills with their lines, the movement line by line (the storage's id, whether
// a stock row exists, then insert or update), the status change.
QString HandPosting(const jxcbench::PostingInput& p)
{
    QString h;
    for (const auto& [id, no, type, storage] : {std::tuple{p.outId, p.outNo, QStringLiteral("03"), p.srcStorage},
                                               std::tuple{p.inId, p.inNo, QStringLiteral("02"), p.desStorage}}) {
        h += QStringLiteral("INSERT INTO Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,"
                            "GoodsCount,BillSum,BillStatus,AuditFlag,Auditor,AuditDate,Remark,OptorCode,Create_time,"
                            "modified_time,deleted) VALUES (%1,'%2',now()::timestamp(0),'%3','%4','%5',1,1000,2500,4,1,'a',"
                            "now()::timestamp(0),'','op',now()::timestamp(0),now()::timestamp(0),0);\n")
                 .arg(id)
                 .arg(no, type, storage, p.billNo);
        h += QStringLiteral("INSERT INTO Sto_GdsBillDetail(ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,"
                            "GoodsPrice,GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted) SELECT "
                            "nextval('seq_jxcid'),%1,'%2','%3',GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,"
                            "PaySum,remark,'op',now()::timestamp(0),now()::timestamp(0),0 FROM Sto_AdjustBillDetail WHERE "
                            "BillID=%4;\n")
                 .arg(id)
                 .arg(no, type)
                 .arg(p.billId);
    }
    return QStringLiteral(
               "DO $h$DECLARE n bigint; sid bigint; r record; BEGIN\n"
               "SELECT count(ID) INTO n FROM Sto_AdjustBillMain WHERE ID = %1 AND BillStatus = 2;\n"
               "IF n = 0 THEN RAISE EXCEPTION 'state'; END IF;\n")
               .arg(p.billId)
        + h
        + QStringLiteral(
              "FOR r IN SELECT b.id AS gid, a.GoodsCode AS code, a.GoodsCount::numeric(10,2) AS cnt, c.Src_StorageCode AS src,"
              " c.Des_StorageCode AS des FROM Sto_AdjustBillDetail a JOIN Bas_GoodsInfo b ON a.GoodsCode = b.GoodsCode"
              " LEFT JOIN Sto_AdjustBillMain c ON a.BillID = c.id WHERE c.BillStatus = 2 AND a.BillID = %1 LOOP\n"
              "SELECT ID INTO STRICT sid FROM bas_Storage WHERE StorageCode = r.des;\n"
              "SELECT count(ID) INTO n FROM Gds_StockCount WHERE StorageCode = r.des AND GoodsCode = r.code;\n"
              "IF n = 0 THEN INSERT INTO Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,"
              "Deleted) VALUES (nextval('seq_jxcid'),sid,r.des,r.gid,r.code,r.cnt,now()::timestamp(0),0);\n"
              "ELSE UPDATE Gds_StockCount SET LeftCount = LeftCount + r.cnt WHERE StorageCode = r.des AND GoodsCode = r.code;"
              " END IF;\n"
              "SELECT ID INTO STRICT sid FROM bas_Storage WHERE StorageCode = r.src;\n"
              "SELECT count(ID) INTO n FROM Gds_StockCount WHERE StorageCode = r.src AND GoodsCode = r.code;\n"
              "IF n = 0 THEN INSERT INTO Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,"
              "Deleted) VALUES (nextval('seq_jxcid'),sid,r.src,r.gid,r.code,0 - r.cnt,now()::timestamp(0),0);\n"
              "ELSE UPDATE Gds_StockCount SET LeftCount = LeftCount - r.cnt WHERE StorageCode = r.src AND GoodsCode = r.code;"
              " END IF;\n"
              "END LOOP;\n"
              "UPDATE Sto_AdjustBillMain SET BillStatus = 4, modified_time = now()::timestamp(0) WHERE ID = %1;\n"
              "END$h$")
              .arg(p.billId);
}

// Hand-written save: the same inserts as one DO block.
QString HandSave(const QString& block)
{
    QString body = block.trimmed();
    body = body.mid(5, body.size() - 5 - 4); // "begin" ... "end;"
    body.replace(QLatin1String("seq_jxcid.nextval"), QLatin1String("nextval('seq_jxcid')"));
    body.replace(QLatin1String("sysdate"), QLatin1String("now()::timestamp(0)"));
    return QStringLiteral("DO $h$BEGIN ") + body + QStringLiteral(" END$h$");
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Exec(PGconn* pg, const char* sql)
{
    PGresult* r = PQexec(pg, sql);
    const auto st = PQresultStatus(r);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s\n", PQresultErrorMessage(r));
        PQclear(r);
        std::exit(1);
    }
    PQclear(r);
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
    const QByteArray target = qgetenv("JXC_TEST_PG");
    if (target.isEmpty()) {
        std::printf("skipped: JXC_TEST_PG is not set\n");
        return 0;
    }
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
        const QByteArray handPosting = HandPosting(p).toUtf8(), handSave = HandSave(save).toUtf8();

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
        };
        for (const Case& k : {Case{"pg_posting", posting, handPosting}, Case{"pg_save", save, handSave}}) {
            std::vector<double> ratios, cpuRatios;
            int statements = 0;
            for (int i = 0; i < Pairs + 1; ++i) {
                double cpuService = 0, cpuHand = 0;
                conn.statements = 0;
                const double service_s = timed(
                    [&] {
                        service.ExecSql(k.block);
                    },
                    cpuService);
                statements = conn.statements;
                Undo(pg);
                const double hand_s = timed(
                    [&] {
                        Exec(pg, "BEGIN; SELECT pg_advisory_xact_lock(1246187843, hashtext(coalesce(current_schema(), '')))");
                        Exec(pg, k.hand.constData());
                        Exec(pg, "COMMIT");
                    },
                    cpuHand);
                Undo(pg);
                if (i == 0)
                    continue; // warm-up pair
                ratios.push_back(service_s / hand_s);
                cpuRatios.push_back(cpuService / std::max(cpuHand, 1e-6));
            }
            // Round trips: the writer lock with BEGIN, the statements, COMMIT.
            std::printf("ratio %s=%.2f cpu=%.2f pairs=%d statements=%d round_trips=%d\n", k.name, Median(ratios),
                        Median(cpuRatios), Pairs, statements, statements + 2);
        }
    } catch (const platform::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    setup->ExecNative(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"), {}, nullptr);
    return status;
}
