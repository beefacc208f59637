#pragma once
// Stock bills and stock counts written straight into a test database, dates set explicitly:
// the rows a posting, a reversal or an opening would leave.
#include "model/BillConst.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "plugin/DbIntf.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace ledgertest {

struct StockLine {
    QString goodsCode;
    QString count;
    int deleted = 0;
};

struct StockBill {
    qint64 id = 0;
    QString billNo;
    QString billType;
    QString storageCode;
    QString srcBillNo;
    QDateTime billDate;
    QString remark;
    std::vector<StockLine> lines;
    int deleted = 0;
};

inline QString DateLiteral(const QDateTime& at)
{
    return QStringLiteral("to_date('") + model::FormatDateTime(at) + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')");
}

// The header and its lines (line ids: the bill's id * 100 + 1, 2, ...), in one block.
inline void AddStockBill(plugin::IDbIntf& db, const StockBill& b)
{
    using model::QuotedStr;
    const QString date = DateLiteral(b.billDate);
    QString sql = QStringLiteral(" begin insert into Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,"
                                 "SrcBillType,BillStatus,AuditFlag,Remark,OptorCode,Create_time,deleted) values (%1,%2,%3,"
                                 "%4,%5,%6,4,4,1,%7,'001',%3,%8);")
                      .arg(QString::number(b.id), QuotedStr(b.billNo), date, QuotedStr(b.billType),
                           QuotedStr(b.storageCode), QuotedStr(b.srcBillNo), QuotedStr(b.remark), QString::number(b.deleted));
    qint64 lineId = b.id * 100;
    for (const StockLine& l : b.lines)
        sql += QStringLiteral(" insert into Sto_GdsBillDetail (ID,BillID,BillNo,BillType,GoodsCode,GoodsCount,Remark,"
                              "OptorCode,Create_time,deleted) values (%1,%2,%3,%4,%5,%6,'','001',%7,%8);")
                   .arg(QString::number(++lineId), QString::number(b.id), QuotedStr(b.billNo), QuotedStr(b.billType),
                        QuotedStr(l.goodsCode), l.count, date, QString::number(l.deleted));
    db.ExecSql(sql + QStringLiteral(" end;"));
}

inline void SetStockCount(plugin::IDbIntf& db, qint64 id, const QString& storageCode, const QString& goodsCode,
                          const QString& count)
{
    db.ExecSql(QStringLiteral("insert into Gds_StockCount (ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Deleted)"
                              " values (%1,0,%2,0,%3,%4,0)")
                   .arg(QString::number(id), model::QuotedStr(storageCode), model::QuotedStr(goodsCode), count));
}

inline QDateTime Day(int day, int hour = 10) { return QDateTime(QDate(2026, 3, day), QTime(hour, 0)); }

// Storage S01, goods G01: opening stock 100 on 1 March, a transfer DB-1 of 3 out on 2 March and
// DB-2 of 5 on 3 March, the first reversed on 4 March. S02 got DB-1's goods and gave them back.
// DB-1 also moved 7 of G02. Counts: S01 95, S02 0, S03 5; G02 0 in both storages.
inline void SeedTransferHistory(plugin::IDbIntf& db, const QString& goods = QStringLiteral("G01"))
{
    const QString in = model::BillTypeStockIn, out = model::BillTypeStockOut, reversal = model::ReversalRemark;
    AddStockBill(db, {10, "QC-1", model::BillTypeOpening, "S01", "", Day(1), QStringLiteral("期初库存"), {{goods, "100"}}});
    AddStockBill(db, {11, "CK-1", out, "S01", "DB-1", Day(2), "", {{goods, "3"}, {"G02", "7"}}});
    AddStockBill(db, {12, "RK-1", in, "S02", "DB-1", Day(2), "", {{goods, "3"}, {"G02", "7"}}});
    AddStockBill(db, {13, "CK-2", out, "S01", "DB-2", Day(3), "", {{goods, "5"}}});
    AddStockBill(db, {14, "RK-2", in, "S03", "DB-2", Day(3), "", {{goods, "5"}}});
    AddStockBill(db, {15, "CK-3", out, "S02", "DB-1", Day(4), reversal, {{goods, "3"}, {"G02", "7"}}});
    AddStockBill(db, {16, "RK-3", in, "S01", "DB-1", Day(4), reversal, {{goods, "3"}, {"G02", "7"}}});
    SetStockCount(db, 1, "S01", goods, "95");
    SetStockCount(db, 2, "S02", goods, "0");
    SetStockCount(db, 3, "S03", goods, "5");
    SetStockCount(db, 4, "S01", "G02", "0");
    SetStockCount(db, 5, "S02", "G02", "0");
}

} // namespace ledgertest
