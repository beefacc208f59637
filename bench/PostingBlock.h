#pragma once
// The transfer posting block as the list window sends it (stock-out bill, stock-in bill, the
// stock movement per line and the status change, in one anonymous block), for benchmarks and
// for checks that demo data can be posted. Header-only: the benchmarks link only the host.
#include "platform/Currency.h"

#include <QDateTime>
#include <QString>

namespace jxcbench {

struct PostingInput {
    qint64 billId = 0;
    QString billNo, srcStorage, desStorage, auditor, remark, operatorCode;
    double goodsCount = 0;
    platform::Currency billSum;
    QDateTime auditDate;
    qint64 inId = 0, outId = 0;
    QString inNo, outNo;
};

inline QString Quoted(const QString& s)
{
    QString t = s;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

inline QString PostingBlock(const PostingInput& p)
{
    const QString id = QString::number(p.billId);
    const QString count = QString::number(p.goodsCount, 'g', 15);
    const QString audit = QStringLiteral("to_date('") + p.auditDate.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
        + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')");
    auto head = [&](qint64 hid, const QString& no, const char* type, const QString& storage) {
        return QStringLiteral(" Insert into Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,"
                              "GoodsCount,BillSum,BillStatus,AuditFlag,Auditor,AuditDate,Remark,OptorCode,Create_time,"
                              "modified_time,deleted) values (")
            + QString::number(hid) + u',' + Quoted(no) + QStringLiteral(",sysdate,'") + QLatin1String(type) + QStringLiteral("',")
            + Quoted(storage) + u',' + Quoted(p.billNo) + QStringLiteral(",4,") + count + u',' + p.billSum.ToString()
            + QStringLiteral(",4,1,") + Quoted(p.auditor) + u',' + audit + u',' + Quoted(p.remark) + u','
            + Quoted(p.operatorCode) + QStringLiteral(",sysdate,sysdate,0);");
    };
    auto lines = [&](qint64 hid, const QString& no, const char* type) {
        return QStringLiteral(" Insert into Sto_GdsBillDetail(ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,"
                              "Brand,GoodsPrice,GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted)  select "
                              "seq_jxcid.nextval,")
            + QString::number(hid) + u',' + Quoted(no) + QStringLiteral(",'") + QLatin1String(type)
            + QStringLiteral("',GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,remark,")
            + Quoted(p.operatorCode) + QStringLiteral(",sysdate,sysdate,0 from Sto_AdjustBillDetail  where BillID=") + id
            + u';';
    };
    const QString movement = QStringLiteral(
        " declare nStorageID integer; nGoodsID integer; sGoodsCode varchar(32); nGoodsCount decimal(10,2);"
        " sDes_StorageCode varchar(32); sSrc_StorageCode varchar(32); num integer;"
        " begin"
        " declare cursor AdjustBilldetail_Cursor is"
        " select b.id as GoodsID,a.GoodsCode,a.GoodsCount,c.Src_StorageCode,c.Des_StorageCode"
        " from Sto_AdjustBillDetail a inner join Bas_GoodsInfo b on (a.GoodsCode = b.GoodsCode)"
        " left join Sto_AdjustBillMain c on (a.BillID = c.id)"
        " where c.BillStatus = 2  and a.BillID =%1;"
        " begin"
        " open AdjustBilldetail_Cursor;"
        " Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;"
        " while AdjustBilldetail_Cursor%FOUND"
        " loop"
        " select ID into nStorageID from bas_Storage where StorageCode = sDes_StorageCode;"
        " select count(ID) into num from Gds_StockCount where StorageCode = sDes_StorageCode and GoodsCode = sGoodsCode;"
        " if num =0 then"
        " insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values"
        " (seq_jxcid.nextval,nStorageID,sDes_StorageCode,nGoodsID,sGoodsCode,nGoodsCount,sysdate,0);"
        " else"
        " Update Gds_StockCount set LeftCount = LeftCount + (nGoodsCount)"
        " where StorageCode= sDes_StorageCode and GoodsCode=sGoodsCode;"
        " end if;"
        " select ID into nStorageID from bas_Storage where StorageCode = sSrc_StorageCode;"
        " select count(ID) into num from Gds_StockCount where StorageCode = sSrc_StorageCode and GoodsCode = sGoodsCode;"
        " if num =0 then"
        " insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values"
        " (seq_jxcid.nextval,nStorageID,sSrc_StorageCode,nGoodsID,sGoodsCode,0 - (nGoodsCount),sysdate,0);"
        " else"
        " Update Gds_StockCount set LeftCount = LeftCount - (nGoodsCount)"
        " where StorageCode= sSrc_StorageCode and GoodsCode=sGoodsCode;"
        " end if;"
        " Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;"
        " end loop;"
        " close AdjustBilldetail_Cursor;"
        " end;"
        " update Sto_AdjustBillMain set BillStatus = 4 ,modified_time=sysdate where ID = %1;"
        " end;").arg(id);
    return QStringLiteral(" begin") + head(p.outId, p.outNo, "12", p.srcStorage) + lines(p.outId, p.outNo, "12")
        + head(p.inId, p.inNo, "02", p.desStorage) + lines(p.inId, p.inNo, "02") + movement + QStringLiteral(" end;");
}

} // namespace jxcbench
