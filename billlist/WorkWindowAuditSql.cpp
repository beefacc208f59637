#include "billlist/WorkWindowAuditSql.h"

#include "model/SqlText.h"

namespace billlist {

using model::SqlEsc;

QString AuditFlagSql(const QString& billNo)
{
    return QStringLiteral(" select AuditFlag from Sto_AdjustBillMain where BillNo ='") + SqlEsc(billNo)
        + QStringLiteral("'");
}

QString BillStatusSql(const QString& billNo)
{
    return QStringLiteral(" select BillStatus from Sto_AdjustBillMain where BillNo ='") + SqlEsc(billNo)
        + QStringLiteral("'");
}

QString AuditStateSql(const QString& billNo)
{
    return QStringLiteral(" select AuditFlag,BillStatus from Sto_AdjustBillMain where BillNo ='") + SqlEsc(billNo)
        + QStringLiteral("'");
}

QString StockLeftAfterSql(const QString& storageCode, const QString& goodsCode, const QString& count)
{
    return QStringLiteral("select (nvl(sum(LeftCount),0) - ") + count
        + QStringLiteral(") from Gds_StockCount where StorageCode='") + SqlEsc(storageCode)
        + QStringLiteral("'  and  GoodsCode = '") + SqlEsc(goodsCode) + QStringLiteral("' ");
}

QString AuditSql(const QString& billNo, const QString& operatorCode)
{
    return QStringLiteral(" Update Sto_AdjustBillMain set AuditFlag = 1, BillStatus = 2, Auditor = '")
        + SqlEsc(operatorCode) + QStringLiteral("',") + QStringLiteral(" AuditDate = sysdate where BillNo = '")
        + SqlEsc(billNo) + QStringLiteral("'");
}

QString UnAuditSql(const QString& billNo)
{
    return QStringLiteral(" Update Sto_AdjustBillMain set AuditFlag = 0, BillStatus = 0, Auditor = '', AuditDate = "
                          "null where BillNo = '")
        + SqlEsc(billNo) + QStringLiteral("'");
}

QString PrintBillSql(const QString& billNo)
{
    return QStringLiteral(
               "select a.BillNO,a.BillDate,a.OptorCode,c.barcode,(select operatorname from sys_operator where "
               "a.OptorCode = operatorcode) as  OptorCodeN, (select storageName from bas_storage where "
               "StorageCode=a.Src_StorageCode) as storageName_Out, (select storageName from bas_storage where "
               "StorageCode=a.Des_StorageCode) as storageName_In, (select DictDetailName from Sys_DictDetail where "
               "c.CalUnit=DictDetailCode) as Unit,b.GoodsCode,b.GoodsName,b.GoodsCount from Sto_AdjustBillMain a "
               "left join Sto_AdjustBillDetail b on a.BillNO=b.BillNO left join Bas_GoodsInfo c on "
               "b.GoodsCode=c.GoodsCode  where   a.BillNO='")
        + SqlEsc(billNo) + QStringLiteral("' ");
}

} // namespace billlist
