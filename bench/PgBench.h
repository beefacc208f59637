#pragma once
// What the PostgreSQL benchmarks share: the server they run against, libpq calls, and the
// transfer posting written by hand in PL/pgSQL, their baseline.
#include "bench/PostingBlock.h"
#include "host/db/engines/PgConnection.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <libpq-fe.h>
#include <tuple>

namespace jxcbench {

// The server JXC_TEST_PG names; empty, after saying the benchmark is skipped, when none is.
inline QByteArray PgTarget()
{
    const QByteArray target = qgetenv("JXC_TEST_PG");
    if (target.isEmpty())
        std::printf("skipped: JXC_TEST_PG is not set\n");
    return target;
}

// Runs sql (several statements may be sent at once); false with the server's message on failure.
inline bool PgExec(PGconn* pg, const QByteArray& sql, QString* error = nullptr)
{
    PGresult* r = PQexec(pg, sql.constData());
    const auto st = PQresultStatus(r);
    const bool ok = st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK;
    if (!ok && error)
        *error = QString::fromUtf8(PQresultErrorMessage(r));
    PQclear(r);
    return ok;
}

// Statement for statement as the module's block: the writer lock, the state check, both stock
// bills with their lines, the movement line by line (the storage's id, whether a stock row
// exists, then insert or update), the status change. Sent as "BEGIN; DO ..." and COMMIT.
inline QString HandPosting(const PostingInput& p)
{
    QString h;
    for (const auto& [id, no, type, storage] : {std::tuple{p.outId, p.outNo, QStringLiteral("12"), p.srcStorage},
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
               "DO $h$DECLARE n bigint; sid bigint; r record; BEGIN\nPERFORM %2;\n"
               "SELECT count(ID) INTO n FROM Sto_AdjustBillMain WHERE ID = %1 AND BillStatus = 2;\n"
               "IF n = 0 THEN RAISE EXCEPTION 'state'; END IF;\n")
               .arg(p.billId)
               .arg(QLatin1String(host::db::PgConnection::WriterLock))
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

} // namespace jxcbench
