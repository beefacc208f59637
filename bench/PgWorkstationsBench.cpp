// Sixteen workstations on one PostgreSQL server, each on its own connection in its own thread,
// each posting 50 transfer bills of 10 lines at once through the database service; against the
// same work as hand-written DO blocks sent with libpq from as many threads. Every round checks
// that every posting succeeded and that the stock bills and stock counts are exactly right.
// Prints bills per second of both and their ratio. Skipped when JXC_TEST_PG is unset.
#include "bench/PgBench.h"

#include "host/db/DbService.h"
#include "host/db/Schema.h"
#include "host/db/Transaction.h"
#include "plugin/Interface.h"
#include "platform/core/Exception.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <latch>
#include <libpq-fe.h>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int Stations = 16;
constexpr int BillsPerStation = 50;
constexpr int LinesPerBill = 10;
constexpr int Goods = 100;
constexpr int Pairs = 5;
constexpr double Opening = 1000000;

using Clock = std::chrono::steady_clock;

QString Code(int g) { return QStringLiteral("WS%1").arg(g, 4, 10, QLatin1Char('0')); }
int BillId(int station, int k) { return 1 + station * BillsPerStation + k; }
int GoodsOf(int bill, int line) { return (bill * 7 + line * 13) % Goods + 1; }
double QuantityOf(int line) { return 0.5 * (line + 1); }

jxcbench::PostingInput Input(int bill)
{
    jxcbench::PostingInput p;
    p.billId = bill;
    p.billNo = QStringLiteral("DB-%1").arg(bill);
    p.srcStorage = QStringLiteral("S01");
    p.desStorage = QStringLiteral("S02");
    p.auditor = QStringLiteral("a");
    p.operatorCode = QStringLiteral("op");
    p.goodsCount = 27.5;
    p.billSum = platform::Currency::FromDouble(68.75);
    p.auditDate = QDateTime::currentDateTime();
    p.outId = 1000000 + 2 * bill;
    p.inId = 1000001 + 2 * bill;
    p.outNo = QStringLiteral("CK-%1").arg(bill);
    p.inNo = QStringLiteral("RK-%1").arg(bill);
    return p;
}

PGconn* Connect(const QByteArray& target, const QString& schema)
{
    PGconn* pg = PQconnectdb(target.constData());
    if (PQstatus(pg) != CONNECTION_OK) {
        std::fprintf(stderr, "%s\n", PQerrorMessage(pg));
        std::exit(1);
    }
    PQsetNoticeProcessor(pg, [](void*, const char*) {}, nullptr); // "drop cascades to ..."
    PQclear(PQexec(pg, QStringLiteral("SET search_path TO %1").arg(schema).toUtf8().constData()));
    return pg;
}

bool Exec(PGconn* pg, const QByteArray& sql, QString* error = nullptr) { return jxcbench::PgExec(pg, sql, error); }

// Puts the stock and the bills back as they were before the postings.
void Reset(PGconn* pg)
{
    Exec(pg, QStringLiteral("BEGIN; DELETE FROM Sto_GdsBillMain; DELETE FROM Sto_GdsBillDetail;"
                            " DELETE FROM Gds_StockCount WHERE StorageCode = 'S02'; UPDATE Gds_StockCount SET LeftCount = %1;"
                            " UPDATE Sto_AdjustBillMain SET BillStatus = 2; COMMIT")
                 .arg(Opening)
                 .toUtf8());
}

// Every bill posted once: status, both stock bills with all their lines, every stock count.
QString Check(PGconn* pg)
{
    auto value = [&](const char* sql) {
        PGresult* r = PQexec(pg, sql);
        const QByteArray v = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1 ? QByteArray(PQgetvalue(r, 0, 0)) : "?";
        PQclear(r);
        return v.toLongLong();
    };
    const int bills = Stations * BillsPerStation;
    if (value("SELECT count(*) FROM Sto_AdjustBillMain WHERE BillStatus = 4") != bills)
        return QStringLiteral("not every bill is posted");
    if (value("SELECT count(*) FROM Sto_GdsBillMain WHERE BillType = '12' AND StorageCode = 'S01'") != bills
        || value("SELECT count(*) FROM Sto_GdsBillMain WHERE BillType = '02' AND StorageCode = 'S02'") != bills)
        return QStringLiteral("the stock bills are not one out and one in per bill");
    if (value("SELECT count(*) FROM Sto_GdsBillDetail") != 2LL * bills * LinesPerBill)
        return QStringLiteral("the stock bills' lines are not all there");
    std::map<int, double> moved;
    for (int b = 1; b <= bills; ++b)
        for (int l = 0; l < LinesPerBill; ++l)
            moved[GoodsOf(b, l)] += QuantityOf(l);
    PGresult* r = PQexec(pg, "SELECT StorageCode, GoodsCode, LeftCount FROM Gds_StockCount");
    QString fault;
    int rows = 0;
    for (int i = 0; i < PQntuples(r); ++i, ++rows) {
        const QString storage = QString::fromUtf8(PQgetvalue(r, i, 0));
        const int g = QString::fromUtf8(PQgetvalue(r, i, 1)).mid(2).toInt();
        const double left = std::atof(PQgetvalue(r, i, 2));
        const double want = storage == u"S01" ? Opening - moved[g] : moved[g];
        if (std::abs(left - want) > 1e-9)
            fault = QStringLiteral("%1 %2 holds %3, not %4").arg(storage, Code(g)).arg(left).arg(want);
    }
    PQclear(r);
    if (fault.isEmpty() && rows != Goods + int(moved.size()))
        fault = QStringLiteral("%1 stock rows, not %2").arg(rows).arg(Goods + int(moved.size()));
    return fault;
}

// One round: every station posts its bills, all starting together. Returns the seconds taken;
// failures are counted.
template <class Station>
double Round(std::vector<Station>& stations, std::atomic<int>& failures, QString& firstError)
{
    std::latch ready(Stations + 1);
    std::vector<std::thread> threads;
    std::mutex m;
    for (int s = 0; s < Stations; ++s)
        threads.emplace_back([&, s] {
            ready.arrive_and_wait();
            for (int k = 0; k < BillsPerStation; ++k) {
                QString error;
                if (!stations[size_t(s)].Post(BillId(s, k), error)) {
                    ++failures;
                    std::lock_guard lock(m);
                    if (firstError.isEmpty())
                        firstError = error;
                }
            }
        });
    const auto t0 = Clock::now();
    ready.arrive_and_wait();
    for (auto& t : threads)
        t.join();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A workstation: the database service on its own connection, sending the module's block.
struct ServiceStation {
    plugin::IntfPtr<host::db::DbService> db;
    bool Post(int bill, QString& error)
    {
        try {
            db->ExecSql(jxcbench::PostingBlock(Input(bill)));
            return true;
        } catch (const platform::Exception& e) {
            error = QString::fromUtf8(e.what());
            return false;
        }
    }
};

// The baseline: the hand-written block sent with libpq, BEGIN with it, then COMMIT.
struct HandStation {
    PGconn* pg = nullptr;
    bool Post(int bill, QString& error)
    {
        if (Exec(pg, "BEGIN; " + jxcbench::HandPosting(Input(bill)).toUtf8(), &error) && Exec(pg, "COMMIT", &error))
            return true;
        Exec(pg, "ROLLBACK");
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray target = jxcbench::PgTarget();
    if (target.isEmpty())
        return 0;
    const QString schema = QStringLiteral("jxc_ws_bench_%1").arg(QCoreApplication::applicationPid());
    PGconn* admin = Connect(target, QStringLiteral("public"));
    Exec(admin, ("CREATE SCHEMA " + schema).toUtf8());
    Exec(admin, ("SET search_path TO " + schema).toUtf8());
    int status = 0;
    try {
        {
            auto setup = host::db::Open(QString::fromUtf8(target));
            setup->ExecNative(QStringLiteral("SET search_path TO ") + schema, {}, nullptr);
            host::db::CreateSchema(*setup);
        }
        QString seed = QStringLiteral("BEGIN; INSERT INTO bas_Storage(ID,StorageCode,StorageName,UseFlag) VALUES "
                                      "(1,'S01','源',1),(2,'S02','目',1);\n");
        for (int g = 1; g <= Goods; ++g)
            seed += QStringLiteral("INSERT INTO Bas_GoodsInfo(ID,GoodsCode,GoodsName,UseFlag,Deleted) VALUES (%1,'%2','商品',1,0);"
                                   "INSERT INTO Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Deleted) "
                                   "VALUES (%3,1,'S01',%1,'%2',%4,0);\n")
                        .arg(10000 + g)
                        .arg(Code(g))
                        .arg(20000 + g)
                        .arg(Opening);
        for (int b = 1; b <= Stations * BillsPerStation; ++b) {
            seed += QStringLiteral("INSERT INTO Sto_AdjustBillMain(ID,BillNo,BillDate,Src_StorageCode,Des_StorageCode,GoodsCount,"
                                   "BillSum,BillStatus,AuditFlag,Auditor,OptorCode,Deleted) VALUES (%1,'DB-%1',now(),'S01','S02',"
                                   "27.5,68.75,2,1,'a','op',0);\n")
                        .arg(b);
            for (int l = 0; l < LinesPerBill; ++l)
                seed += QStringLiteral("INSERT INTO Sto_AdjustBillDetail(ID,BillID,BillNo,GoodsCode,GoodsName,CalUnit,GoodsPrice,"
                                       "GoodsCount,PaySum,Remark,Deleted) VALUES (%1,%2,'DB-%2','%3','商品','521001',2.5,%4,%5,'',0);\n")
                            .arg(100000 + b * LinesPerBill + l)
                            .arg(b)
                            .arg(Code(GoodsOf(b, l)))
                            .arg(QuantityOf(l))
                            .arg(QuantityOf(l) * 2.5);
        }
        QString error;
        if (!Exec(admin, (seed + QStringLiteral("SELECT setval('seq_jxcid', 5000000); COMMIT")).toUtf8(), &error))
            throw platform::EDatabaseError(error);

        std::vector<ServiceStation> services(Stations);
        std::vector<HandStation> hands(Stations);
        for (int s = 0; s < Stations; ++s) {
            auto c = host::db::Open(QString::fromUtf8(target));
            c->ExecNative(QStringLiteral("SET search_path TO ") + schema, {}, nullptr);
            services[size_t(s)].db = new host::db::DbService(std::move(c));
            hands[size_t(s)].pg = Connect(target, schema);
        }
        std::vector<double> serviceRates, handRates, ratios;
        const double bills = Stations * BillsPerStation;
        for (int i = 0; i < Pairs && status == 0; ++i) {
            for (bool service : {true, false}) {
                Reset(admin);
                std::atomic<int> failures{0};
                QString first;
                const double seconds = service ? Round(services, failures, first) : Round(hands, failures, first);
                const QString fault = failures > 0 ? QStringLiteral("%1 postings failed: %2").arg(int(failures)).arg(first)
                                                   : Check(admin);
                if (!fault.isEmpty()) {
                    std::fprintf(stderr, "%s: %s\n", service ? "service" : "hand-written", qPrintable(fault));
                    status = 1;
                    break;
                }
                (service ? serviceRates : handRates).push_back(bills / seconds);
            }
            if (status == 0)
                ratios.push_back(handRates.back() / serviceRates.back());
        }
        if (status == 0) {
            std::sort(ratios.begin(), ratios.end());
            std::sort(serviceRates.begin(), serviceRates.end());
            std::sort(handRates.begin(), handRates.end());
            std::printf("ratio pg_workstations=%.2f pairs=%d stations=%d bills=%d lines=%d service_bills_per_s=%.0f "
                        "hand_bills_per_s=%.0f checked=all\n",
                        ratios[ratios.size() / 2], Pairs, Stations, int(bills), LinesPerBill,
                        serviceRates[serviceRates.size() / 2], handRates[handRates.size() / 2]);
        }
        for (auto& h : hands)
            PQfinish(h.pg);
    } catch (const platform::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    Exec(admin, ("DROP SCHEMA " + schema + " CASCADE").toUtf8());
    PQfinish(admin);
    return status;
}
