#pragma once
// The posting block of the transfer command, assembled from its exact text pieces; shared by the
// block tests, the demo-data checks and the benchmarks.
#include <QString>
#include <QStringList>

namespace blocktest {

// Text values are quoted with their single quotes doubled, as the module's quoting helper does.
inline QString Q(QString s)
{
    s.replace(u'\'', QLatin1String("''")); // allowed: the database tests stand apart from the module's helper
    return u'\'' + s + u'\'';
}

// The storages, goods and stock the posting tests start from: S01 and S02, G01 and G02, and 10
// of G01 in S01. Statements to go inside a block.
inline QString PostingMasterData()
{
    return QStringLiteral(
        " insert into bas_Storage(ID, StorageCode, StorageName, UseFlag) values (1, 'S01', '一号仓', 1);"
        " insert into bas_Storage(ID, StorageCode, StorageName, UseFlag) values (2, 'S02', '二号仓', 1);"
        " insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName, UseFlag, Deleted) values (101, 'G01', '螺丝', 1, 0);"
        " insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName, UseFlag, Deleted) values (102, 'G02', '螺母', 1, 0);"
        " insert into Gds_StockCount(ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
        "   values (500, 1, 'S01', 101, 'G01', 10, 0);");
}

struct Posting {
    qint64 billId = 1000;
    QString billNo = QStringLiteral("DB-2024010200000001");
    QString src = QStringLiteral("S01");
    QString des = QStringLiteral("S02");
    QString goodsCount = QStringLiteral("5.5");
    QString billSum = QStringLiteral("123.4567");
    QString auditor = QStringLiteral("op1");
    QString auditDate = QStringLiteral("2024-01-02 10:30");
    QString remark = QStringLiteral("备注 it's \"ok\"");
    QString op = QStringLiteral("op1");
    qint64 inId = 2001, outId = 2002;
    QString rkNo = QStringLiteral("RK-2024010200000007");
    QString ckNo = QStringLiteral("CK-2024010200000009");
    QString sep = QStringLiteral(" "); // what joins the pieces of the movement block
};

inline QString StockHeader(const Posting& p, qint64 id, const QString& no, const char* type, const QString& storage)
{
    const QString cols = QStringLiteral(
        "ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,GoodsCount,BillSum,BillStatus,AuditFlag,"
        "Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,deleted");
    const QStringList vals = {QString::number(id), Q(no), QStringLiteral("sysdate"), Q(QString::fromLatin1(type)),
                              Q(storage), Q(p.billNo), QStringLiteral("4"), p.goodsCount, p.billSum,
                              QStringLiteral("4"), QStringLiteral("1"), Q(p.auditor),
                              QStringLiteral("to_date('") + p.auditDate + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')"),
                              Q(p.remark), Q(p.op), QStringLiteral("sysdate"), QStringLiteral("sysdate"), QStringLiteral("0")};
    return QStringLiteral(" Insert into Sto_GdsBillMain (") + cols + QStringLiteral(") values (") + vals.join(u',')
        + QStringLiteral(");");
}

inline QString StockLines(const Posting& p, qint64 id, const QString& no, const char* type)
{
    const QString cols = QStringLiteral(
        "ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,Remark,"
        "OptorCode,Create_time,modified_time,deleted");
    const QStringList sel = {QStringLiteral("seq_jxcid.nextval"), QString::number(id), Q(no), Q(QString::fromLatin1(type)),
                             QStringLiteral("GoodsCode"), QStringLiteral("GoodsName"), QStringLiteral("CalUnit"),
                             QStringLiteral("Model"), QStringLiteral("Brand"), QStringLiteral("GoodsPrice"),
                             QStringLiteral("GoodsCount"), QStringLiteral("PaySum"), QStringLiteral("remark"), Q(p.op),
                             QStringLiteral("sysdate"), QStringLiteral("sysdate"), QStringLiteral("0")};
    return QStringLiteral(" Insert into Sto_GdsBillDetail(") + cols + QStringLiteral(")  select ") + sel.join(u',')
        + QStringLiteral(" from Sto_AdjustBillDetail ") + QStringLiteral(" where BillID=") + QString::number(p.billId)
        + QStringLiteral(";");
}

inline QString Movement(const Posting& p)
{
    const QString id = QString::number(p.billId);
    const QStringList pieces = {
        QStringLiteral("declare"), QStringLiteral("nStorageID integer;"), QStringLiteral("nGoodsID integer;"),
        QStringLiteral("sGoodsCode varchar(32);"), QStringLiteral("nGoodsCount decimal(10,2);"),
        QStringLiteral("sDes_StorageCode varchar(32);"), QStringLiteral("sSrc_StorageCode varchar(32);"),
        QStringLiteral("num integer;"),
        QStringLiteral("begin"), QStringLiteral("declare cursor AdjustBilldetail_Cursor is"),
        QStringLiteral("select b.id as GoodsID,a.GoodsCode,a.GoodsCount,c.Src_StorageCode,c.Des_StorageCode"),
        QStringLiteral("from Sto_AdjustBillDetail a inner join Bas_GoodsInfo b on (a.GoodsCode = b.GoodsCode)"),
        QStringLiteral("left join Sto_AdjustBillMain c on (a.BillID = c.id)"),
        QStringLiteral("where c.BillStatus = 2  and a.BillID =") + id + QStringLiteral(";"),
        QStringLiteral("begin"), QStringLiteral("open AdjustBilldetail_Cursor;"),
        QStringLiteral("Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;"),
        QStringLiteral("while AdjustBilldetail_Cursor%FOUND"), QStringLiteral("loop"),
        QStringLiteral("select ID into nStorageID from bas_Storage where StorageCode = sDes_StorageCode;"),
        QStringLiteral("select count(ID) into num from Gds_StockCount where StorageCode = sDes_StorageCode and GoodsCode = sGoodsCode;"),
        QStringLiteral("if num =0 then"),
        QStringLiteral("insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values"),
        QStringLiteral("(seq_jxcid.nextval,nStorageID,sDes_StorageCode,nGoodsID,sGoodsCode,nGoodsCount,sysdate,0);"),
        QStringLiteral("else"), QStringLiteral("Update Gds_StockCount set LeftCount = LeftCount + (nGoodsCount)"),
        QStringLiteral("where StorageCode= sDes_StorageCode and GoodsCode=sGoodsCode;"), QStringLiteral("end if;"),
        QStringLiteral("select ID into nStorageID from bas_Storage where StorageCode = sSrc_StorageCode;"),
        QStringLiteral("select count(ID) into num from Gds_StockCount where StorageCode = sSrc_StorageCode and GoodsCode = sGoodsCode;"),
        QStringLiteral("if num =0 then"),
        QStringLiteral("insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values"),
        QStringLiteral("(seq_jxcid.nextval,nStorageID,sSrc_StorageCode,nGoodsID,sGoodsCode,0 - (nGoodsCount),sysdate,0);"),
        QStringLiteral("else"), QStringLiteral("Update Gds_StockCount set LeftCount = LeftCount - (nGoodsCount)"),
        QStringLiteral("where StorageCode= sSrc_StorageCode and GoodsCode=sGoodsCode;"), QStringLiteral("end if;"),
        QStringLiteral("Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;"),
        QStringLiteral("end loop;"), QStringLiteral("close AdjustBilldetail_Cursor;"), QStringLiteral("end;"),
        QStringLiteral("update Sto_AdjustBillMain set BillStatus = 4 ,modified_time=sysdate where ID = ") + id + QStringLiteral(";"),
        QStringLiteral("end;"),
    };
    return pieces.join(p.sep);
}

inline QString TransferPostingBlock(const Posting& p)
{
    return QStringLiteral(" begin") + StockHeader(p, p.outId, p.ckNo, "12", p.src) + StockLines(p, p.outId, p.ckNo, "12")
        + StockHeader(p, p.inId, p.rkNo, "02", p.des) + StockLines(p, p.inId, p.rkNo, "02") + Movement(p)
        + QStringLiteral(" end;");
}

} // namespace blocktest
