#include "billedit/BillEditFrmSql.h"

#include "model/BillConst.h"
#include "model/Currency.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "platform/core/Exception.h"

namespace billedit {

namespace {

using model::SqlEsc;

// The id goes into the statement unquoted: anything but digits could change the statement.
const QString& CheckedId(const QString& id)
{
    bool ok = false;
    id.toLongLong(&ok);
    if (!ok || id.trimmed() != id || id.startsWith(u'+') || id.startsWith(u'-'))
        throw platform::EConvertError(QStringLiteral("'%1' is not a valid bill ID").arg(id));
    return id;
}

} // namespace

QString LineShapeSql()
{
    return QStringLiteral(
        " select a.*,b.GoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where a.GoodsCode=b.GoodsCode and 1=2");
}

QString UnitItemsSql() { return model::UnitListSql; }

QString BillHeaderSql(const QString& billNo)
{
    return QStringLiteral(" select a.*,  (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                          "storageName_Out, (select storageName from bas_storage where StorageCode=a.Des_StorageCode) as "
                          "storageName_In  from Sto_AdjustBillMain a where a.BillNo='")
        + SqlEsc(billNo) + QStringLiteral("'");
}

QString BillLinesSql(const QString& billNo)
{
    return QStringLiteral(" select a.*,b.GoodsName as BasGoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where "
                          "a.GoodsCode=b.GoodsCode   and a.BillNo='")
        + SqlEsc(billNo) + QStringLiteral("'");
}

QString InsertHeaderSql(const SaveHeader& h)
{
    return QStringLiteral(" Insert into Sto_AdjustBillMain ( ID              , BillNo          , BillDate        , "
                          "Src_StorageCode , Des_StorageCode , GoodsCount      , BillSum         , BillStatus      , "
                          "AuditFlag       , Remark          , OptorCode       , Create_time     , modified_time   , "
                          "deleted         ) values (")
        + CheckedId(h.id) + QStringLiteral(",'") + SqlEsc(h.billNo) + QStringLiteral("',") + QStringLiteral("sysdate,'")
        + SqlEsc(h.srcStorageCode) + QStringLiteral("','") + SqlEsc(h.desStorageCode) + QStringLiteral("',")
        + model::FloatToStr(h.goodsCount) + QStringLiteral(",") + model::CurrToStr(h.billSum) + QStringLiteral(",")
        + QStringLiteral("0,") + QStringLiteral("0,'") + SqlEsc(h.remark) + QStringLiteral("','")
        + SqlEsc(h.operatorCode) + QStringLiteral("',") + QStringLiteral("sysdate,") + QStringLiteral("sysdate,")
        + QStringLiteral("0);");
}

QString UpdateHeaderSql(const SaveHeader& h)
{
    return QStringLiteral(" Update Sto_AdjustBillMain set  BillDate = to_date('") + model::FormatDate(h.billDate)
        + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')") + QStringLiteral(",") + QStringLiteral(" BillSum = ")
        + model::CurrToStr(h.billSum) + QStringLiteral(",") + QStringLiteral(" GoodsCount = ")
        + model::FloatToStr(h.goodsCount) + QStringLiteral(",") + QStringLiteral(" Src_StorageCode ='")
        + SqlEsc(h.srcStorageCode) + QStringLiteral("',") + QStringLiteral(" Des_StorageCode = '")
        + SqlEsc(h.desStorageCode) + QStringLiteral("',") + QStringLiteral(" Remark ='") + SqlEsc(h.remark)
        + QStringLiteral("'") + QStringLiteral(" where BillNo='") + SqlEsc(h.billNo) + QStringLiteral("';");
}

QString DeleteLinesSql(const QString& billNo)
{
    return QStringLiteral(" delete from Sto_AdjustBillDetail where BillNo='") + SqlEsc(billNo) + QStringLiteral("';");
}

QString InsertLineSql(const SaveHeader& h, const SaveLine& l)
{
    // The line's remark is never filled by the editor: it goes as an empty text.
    return QStringLiteral(" Insert into Sto_AdjustBillDetail(") + QStringLiteral(" ID            ,")
        + QStringLiteral(" BillID        ,") + QStringLiteral(" BillNo        ,") + QStringLiteral(" GoodsCode     ,")
        + QStringLiteral(" GoodsName     ,") + QStringLiteral(" CalUnit       ,") + QStringLiteral(" Model         ,")
        + QStringLiteral(" Brand         ,") + QStringLiteral(" GoodsPrice    ,") + QStringLiteral(" GoodsCount    ,")
        + QStringLiteral(" PaySum        ,") + QStringLiteral(" Remark        ,") + QStringLiteral(" OptorCode     ,")
        + QStringLiteral(" Create_time   ,") + QStringLiteral(" modified_time ,") + QStringLiteral(" deleted) values (")
        + QStringLiteral(" seq_jxcid.nextval,") + CheckedId(h.id) + QStringLiteral(",'") + SqlEsc(h.billNo)
        + QStringLiteral("','") + SqlEsc(l.goodsCode) + QStringLiteral("','") + SqlEsc(l.goodsName)
        + QStringLiteral("','") + SqlEsc(l.calUnit) + QStringLiteral("','") + SqlEsc(l.model) + QStringLiteral("','")
        + SqlEsc(l.brand) + QStringLiteral("',") + model::CurrToStr(l.goodsPrice) + QStringLiteral(",")
        + model::FloatToStr(l.goodsCount) + QStringLiteral(",") + model::CurrToStr(l.paySum) + QStringLiteral(",'")
        + QStringLiteral("','") + SqlEsc(h.operatorCode)
        + QStringLiteral("',") + QStringLiteral("sysdate,") + QStringLiteral("sysdate,") + QStringLiteral("0);");
}

QString SaveBlockSql(bool newBill, const SaveHeader& head, const QVector<SaveLine>& lines)
{
    QString h = newBill ? InsertHeaderSql(head) : UpdateHeaderSql(head);
    QString l = newBill ? QString() : DeleteLinesSql(head.billNo);
    // About 700 characters a line; one allocation for a bill of any size.
    l.reserve(l.size() + int(lines.size()) * 720);
    for (const SaveLine& line : lines)
        l += InsertLineSql(head, line);
    return QStringLiteral("  begin ") + h + l + QStringLiteral("  end; ");
}

} // namespace billedit
