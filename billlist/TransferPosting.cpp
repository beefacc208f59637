#include "billlist/TransferPosting.h"

#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"

#include <QStringList>

namespace billlist {

namespace {

const QString kHeaderColumns = QStringLiteral(
    "ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,GoodsCount,BillSum,BillStatus,AuditFlag,"
    "Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,deleted");
const QString kLineColumns = QStringLiteral(
    "ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,Remark,"
    "OptorCode,Create_time,modified_time,deleted");

// Raised inside the block; Oracle reserves -20000 .. -20999 for the application's own errors.
constexpr int kStateChangedError = -20001;

QString Q(const QString& text) { return model::QuotedStr(text); }

QString StockHeader(const TransferPosting& p, qint64 id, const QString& no, const QString& type,
                    const QString& storage)
{
    const QStringList values = {
        QString::number(id),
        Q(no),
        QStringLiteral("sysdate"),
        Q(type),
        Q(storage),
        Q(p.billNo),
        QString::number(model::SrcBillTypeTransfer),
        model::FloatToStr(p.goodsCount),
        p.billSum.ToString(),
        QString::number(model::BillStatusCompleted),
        QString::number(model::AuditFlagYes),
        Q(p.auditor),
        // The date goes to the minute although the format names seconds: the seconds become 0.
        QStringLiteral("to_date('") + model::FormatDateTimeMinutes(p.auditDate)
            + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')"),
        Q(p.remark),
        Q(p.operatorCode),
        QStringLiteral("sysdate"),
        QStringLiteral("sysdate"),
        QStringLiteral("0"),
    };
    return QStringLiteral(" Insert into Sto_GdsBillMain (") + kHeaderColumns + QStringLiteral(") values (")
        + values.join(u',') + QStringLiteral(");");
}

QString StockLines(const TransferPosting& p, qint64 id, const QString& no, const QString& type)
{
    const QStringList select = {
        QStringLiteral("seq_jxcid.nextval"), QString::number(id), Q(no), Q(type),
        QStringLiteral("GoodsCode"), QStringLiteral("GoodsName"), QStringLiteral("CalUnit"), QStringLiteral("Model"),
        QStringLiteral("Brand"), QStringLiteral("GoodsPrice"), QStringLiteral("GoodsCount"), QStringLiteral("PaySum"),
        QStringLiteral("remark"), Q(p.operatorCode), QStringLiteral("sysdate"), QStringLiteral("sysdate"),
        QStringLiteral("0"),
    };
    return QStringLiteral(" Insert into Sto_GdsBillDetail(") + kLineColumns + QStringLiteral(")  select ")
        + select.join(u',') + QStringLiteral(" from Sto_AdjustBillDetail ") + QStringLiteral(" where BillID=")
        + QString::number(p.billId) + QStringLiteral(";");
}

} // namespace

QString StateChangedText(const QString& billNo)
{
    return QStringLiteral("调拨单[") + billNo
        + QStringLiteral("]的状态已被改变（已在其他工作站调拨或取消审核），本次调拨未执行，请重新查询后再操作!");
}

QString BillStateGuard(const TransferPosting& p)
{
    const QString id = QString::number(p.billId);
    return QStringLiteral(" declare nAuditedCount integer; begin"
                          " select count(ID) into nAuditedCount from Sto_AdjustBillMain where ID = ")
        + id + QStringLiteral(" and BillStatus = ") + QString::number(model::BillStatusApproved)
        + QStringLiteral("; if nAuditedCount = 0 then raise_application_error(")
        + QString::number(kStateChangedError) + QStringLiteral(", ") + Q(StateChangedText(p.billNo))
        + QStringLiteral("); end if; end;");
}

QString StockOutHeaderSql(const TransferPosting& p)
{
    return StockHeader(p, p.stockOutId, p.stockOutNo, model::BillTypeStockOut, p.srcStorageCode);
}

QString StockOutLinesSql(const TransferPosting& p)
{
    return StockLines(p, p.stockOutId, p.stockOutNo, model::BillTypeStockOut);
}

QString StockInHeaderSql(const TransferPosting& p)
{
    return StockHeader(p, p.stockInId, p.stockInNo, model::BillTypeStockIn, p.desStorageCode);
}

QString StockInLinesSql(const TransferPosting& p)
{
    return StockLines(p, p.stockInId, p.stockInNo, model::BillTypeStockIn);
}

QString StockMovementBlock(const TransferPosting& p)
{
    const QString id = QString::number(p.billId);
    const QStringList pieces = {
        QStringLiteral(" declare"),
        QStringLiteral("nStorageID integer;"),
        QStringLiteral("nGoodsID integer;"),
        QStringLiteral("sGoodsCode varchar(32);"),
        QStringLiteral("nGoodsCount decimal(10,2);"),
        QStringLiteral("sDes_StorageCode varchar(32);"),
        QStringLiteral("sSrc_StorageCode varchar(32);"),
        QStringLiteral("num integer;"),
        QStringLiteral("begin"),
        QStringLiteral("declare cursor AdjustBilldetail_Cursor is"),
        QStringLiteral("select b.id as GoodsID,a.GoodsCode,a.GoodsCount,c.Src_StorageCode,c.Des_StorageCode"),
        QStringLiteral("from Sto_AdjustBillDetail a inner join Bas_GoodsInfo b on (a.GoodsCode = b.GoodsCode)"),
        QStringLiteral("left join Sto_AdjustBillMain c on (a.BillID = c.id)"),
        QStringLiteral("where c.BillStatus = 2  and a.BillID =") + id + QStringLiteral(";"),
        QStringLiteral("begin"),
        QStringLiteral("open AdjustBilldetail_Cursor;"),
        QStringLiteral("Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;"),
        QStringLiteral("while AdjustBilldetail_Cursor%FOUND"),
        QStringLiteral("loop"),
        QStringLiteral("select ID into nStorageID from bas_Storage where StorageCode = sDes_StorageCode;"),
        QStringLiteral("select count(ID) into num from Gds_StockCount where StorageCode = sDes_StorageCode and GoodsCode = sGoodsCode;"),
        QStringLiteral("if num =0 then"),
        QStringLiteral("insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values"),
        QStringLiteral("(seq_jxcid.nextval,nStorageID,sDes_StorageCode,nGoodsID,sGoodsCode,nGoodsCount,sysdate,0);"),
        QStringLiteral("else"),
        QStringLiteral("Update Gds_StockCount set LeftCount = LeftCount + (nGoodsCount)"),
        QStringLiteral("where StorageCode= sDes_StorageCode and GoodsCode=sGoodsCode;"),
        QStringLiteral("end if;"),
        QStringLiteral("select ID into nStorageID from bas_Storage where StorageCode = sSrc_StorageCode;"),
        QStringLiteral("select count(ID) into num from Gds_StockCount where StorageCode = sSrc_StorageCode and GoodsCode = sGoodsCode;"),
        QStringLiteral("if num =0 then"),
        QStringLiteral("insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values"),
        QStringLiteral("(seq_jxcid.nextval,nStorageID,sSrc_StorageCode,nGoodsID,sGoodsCode,0 - (nGoodsCount),sysdate,0);"),
        QStringLiteral("else"),
        QStringLiteral("Update Gds_StockCount set LeftCount = LeftCount - (nGoodsCount)"),
        QStringLiteral("where StorageCode= sSrc_StorageCode and GoodsCode=sGoodsCode;"),
        QStringLiteral("end if;"),
        QStringLiteral("Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;"),
        QStringLiteral("end loop;"),
        QStringLiteral("close AdjustBilldetail_Cursor;"),
        QStringLiteral("end;"),
        QStringLiteral("update Sto_AdjustBillMain set BillStatus = 4 ,modified_time=sysdate where ID = ") + id
            + QStringLiteral(";"),
        QStringLiteral("end;"),
    };
    return pieces.join(u' ');
}

QString TransferPostingBlock(const TransferPosting& p)
{
    return QStringLiteral(" begin") + BillStateGuard(p) + StockOutHeaderSql(p) + StockOutLinesSql(p)
        + StockInHeaderSql(p) + StockInLinesSql(p) + StockMovementBlock(p) + QStringLiteral(" end;");
}

} // namespace billlist
