#include "billlist/TransferPosting.h"

#include "billlist/PromisedStock.h"
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

// Which way a block moves the bill's goods: a posting from the source storage to the
// destination, a reversal back. `from` and `to` are the header's columns; the bill goes from
// status `before` to `after`.
struct Direction {
    const char* from;
    const char* to;
    int before;
    int after;
};
constexpr Direction kPosting{"Src_StorageCode", "Des_StorageCode", model::BillStatusApproved, model::BillStatusCompleted};
constexpr Direction kReversal{"Des_StorageCode", "Src_StorageCode", model::BillStatusCompleted, model::BillStatusReversed};

QString StockHeader(const TransferPosting& p, qint64 id, const QString& no, const QString& type,
                    const QString& storage, const QString& remark)
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
        Q(remark),
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
    return StockHeader(p, p.stockOutId, p.stockOutNo, model::BillTypeStockOut, p.srcStorageCode, p.remark);
}

QString StockOutLinesSql(const TransferPosting& p)
{
    return StockLines(p, p.stockOutId, p.stockOutNo, model::BillTypeStockOut);
}

QString StockInHeaderSql(const TransferPosting& p)
{
    return StockHeader(p, p.stockInId, p.stockInNo, model::BillTypeStockIn, p.desStorageCode, p.remark);
}

QString StockInLinesSql(const TransferPosting& p)
{
    return StockLines(p, p.stockInId, p.stockInNo, model::BillTypeStockIn);
}

namespace {

QString MovementBlock(const TransferPosting& p, const Direction& d)
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
        // The goods leave the storage fetched into sSrc_StorageCode and arrive in sDes_StorageCode.
        QStringLiteral("select b.id as GoodsID,a.GoodsCode,a.GoodsCount,c.") + QLatin1String(d.from) + QStringLiteral(",c.")
            + QLatin1String(d.to),
        QStringLiteral("from Sto_AdjustBillDetail a inner join Bas_GoodsInfo b on (a.GoodsCode = b.GoodsCode)"),
        QStringLiteral("left join Sto_AdjustBillMain c on (a.BillID = c.id)"),
        QStringLiteral("where c.BillStatus = ") + QString::number(d.before) + QStringLiteral("  and a.BillID =") + id
            + QStringLiteral(";"),
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
        QStringLiteral("update Sto_AdjustBillMain set BillStatus = ") + QString::number(d.after)
            + QStringLiteral(" ,modified_time=sysdate where ID = ") + id + QStringLiteral(";"),
        QStringLiteral("end;"),
    };
    return pieces.join(u' ');
}

} // namespace

QString StockMovementBlock(const TransferPosting& p) { return MovementBlock(p, kPosting); }

QString TransferPostingBlock(const TransferPosting& p)
{
    return QStringLiteral(" begin") + BillStateGuard(p) + StockOutHeaderSql(p) + StockOutLinesSql(p)
        + StockInHeaderSql(p) + StockInLinesSql(p) + StockMovementBlock(p) + QStringLiteral(" end;");
}

QString PromisedPostingBlock(const TransferPosting& p)
{
    return QStringLiteral(" begin") + BillStateGuard(p) + ShortageGuard(p.billId, p.srcStorageCode, ShortageChangedText())
        + StockOutHeaderSql(p) + StockOutLinesSql(p) + StockInHeaderSql(p) + StockInLinesSql(p) + StockMovementBlock(p)
        + QStringLiteral(" end;");
}

QString ReversalStateText(const QString& billNo)
{
    return QStringLiteral("调拨单[") + billNo + QStringLiteral("]不是已完成调拨的单据（未调拨或已冲销），不能冲销，请重新查询后再操作!");
}

QString ReversalShortageText(const QString& billNo)
{
    return QStringLiteral("调拨单[") + billNo
        + QStringLiteral("]的商品在目标仓库的可用库存已不足，不能冲销，请重新查询后再操作!");
}

QString TransferReversalBlock(const TransferPosting& p)
{
    const QString id = QString::number(p.billId);
    const QString stateGuard =
        QStringLiteral(" declare nCompletedCount integer; begin"
                       " select count(ID) into nCompletedCount from Sto_AdjustBillMain where ID = ")
        + id + QStringLiteral(" and BillStatus = ") + QString::number(model::BillStatusCompleted)
        + QStringLiteral("; if nCompletedCount = 0 then raise_application_error(")
        + QString::number(kReversalStateError) + QStringLiteral(", ") + Q(ReversalStateText(p.billNo))
        + QStringLiteral("); end if; end;");
    // The goods go back out of the destination into the source, under the seed's two types.
    const QString remark = model::ReversalRemark;
    return QStringLiteral(" begin") + stateGuard
        + ShortageGuard(p.billId, p.desStorageCode, ReversalShortageText(p.billNo), true)
        + StockHeader(p, p.stockOutId, p.stockOutNo, model::BillTypeStockOut, p.desStorageCode, remark)
        + StockLines(p, p.stockOutId, p.stockOutNo, model::BillTypeStockOut)
        + StockHeader(p, p.stockInId, p.stockInNo, model::BillTypeStockIn, p.srcStorageCode, remark)
        + StockLines(p, p.stockInId, p.stockInNo, model::BillTypeStockIn) + MovementBlock(p, kReversal)
        + QStringLiteral(" end;");
}

} // namespace billlist
