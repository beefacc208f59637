// The statements and blocks the transfer module sends, in the order of one bill's life, run
// through the service unchanged on each engine.
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QStringList>
#include <memory>

using platform::Currency;
using platform::Dataset;

namespace {

class ModuleSqlDb : public jxctest::DbTest {
protected:
    std::unique_ptr<Dataset> Open(const QString& sql) { return std::unique_ptr<Dataset>(Db().OpenQuery(sql)); }

    void SeedMasters()
    {
        Db().ExecSql("insert into bas_Storage (ID, StorageCode, StorageName, UseFlag) values (1, 'S01', '总仓', 1)");
        Db().ExecSql("insert into bas_Storage (ID, StorageCode, StorageName, UseFlag) values (2, 'S02', '门店', 1)");
        Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, UseFlag, Deleted) values (11, 'G01', '铅笔', '01', '52101', 1, 0)");
        Db().ExecSql("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52101', '支')");
        Db().ExecSql("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, '001', '张三')");
        Db().ExecSql("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Create_time, Deleted) "
                     "values (100, 1, 'S01', 11, 'G01', 50, sysdate, 0)");
    }

    static QString Line(const QString& id, const QString& no, const QString& code, const QString& name, const QString& price,
                        const QString& count, const QString& sum)
    {
        return " Insert into Sto_AdjustBillDetail( ID            , BillID        , BillNo        , GoodsCode     , "
               "GoodsName     , CalUnit       , Model         , Brand         , GoodsPrice    , GoodsCount    , PaySum "
               "       , Remark        , OptorCode     , Create_time   , modified_time , deleted) values ( seq_jxcid.nextval,"
               + id + ",'" + no + "','" + code + "','" + name + "','52101','HB',''," + price + "," + count + "," + sum
               + ",'','001',sysdate,sysdate,0);";
    }

    QString SaveNewBill(const QString& id, const QString& no)
    {
        const QString h = " Insert into Sto_AdjustBillMain ( ID              , BillNo          , BillDate        , "
                          "Src_StorageCode , Des_StorageCode , GoodsCount      , BillSum         , BillStatus      , "
                          "AuditFlag       , Remark          , OptorCode       , Create_time     , modified_time   , "
                          "deleted         ) values (" + id + ",'" + no + "',sysdate,'S01','S02',15,37.5,0,0,'it''s urgent','001',sysdate,sysdate,0);";
        return "  begin " + h + Line(id, no, "G01", "铅笔", "2.5", "10", "25") + Line(id, no, "GX9", "无主档", "2.5", "5", "12.5") + "  end; ";
    }

    static QString StockBill(const QString& id, const QString& no, const QString& type, const QString& storage,
                             const QString& src, const QString& auditDate)
    {
        return " Insert into Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,GoodsCount,"
               "BillSum,BillStatus,AuditFlag,Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,deleted) values ("
               + id + ",'" + no + "',sysdate,'" + type + "','" + storage + "','" + src + "',4,15,37.5,4,1,'001',to_date('"
               + auditDate + "','YYYY-MM-DD HH24:MI:SS'),'it''s urgent','001',sysdate,sysdate,0);";
    }

    static QString StockLines(const QString& id, const QString& no, const QString& type, const QString& billId)
    {
        return " Insert into Sto_GdsBillDetail(ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,"
               "GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted)  select seq_jxcid.nextval," + id + ",'"
               + no + "','" + type + "',GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,remark,'001',"
               "sysdate,sysdate,0 from Sto_AdjustBillDetail  where BillID=" + billId + ";";
    }

    static QString Movement(const QString& billId)
    {
        const QStringList pieces{
            "declare", "nStorageID integer;", "nGoodsID integer;", "sGoodsCode varchar(32);", "nGoodsCount decimal(10,2);",
            "sDes_StorageCode varchar(32);", "sSrc_StorageCode varchar(32);", "num integer;", "begin",
            "declare cursor AdjustBilldetail_Cursor is",
            "select b.id as GoodsID,a.GoodsCode,a.GoodsCount,c.Src_StorageCode,c.Des_StorageCode",
            "from Sto_AdjustBillDetail a inner join Bas_GoodsInfo b on (a.GoodsCode = b.GoodsCode)",
            "left join Sto_AdjustBillMain c on (a.BillID = c.id)", "where c.BillStatus = 2  and a.BillID =" + billId + ";",
            "begin", "open AdjustBilldetail_Cursor;",
            "Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;",
            "while AdjustBilldetail_Cursor%FOUND", "loop",
            "select ID into nStorageID from bas_Storage where StorageCode = sDes_StorageCode;",
            "select count(ID) into num from Gds_StockCount where StorageCode = sDes_StorageCode and GoodsCode = sGoodsCode;",
            "if num =0 then",
            "insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values",
            "(seq_jxcid.nextval,nStorageID,sDes_StorageCode,nGoodsID,sGoodsCode,nGoodsCount,sysdate,0);", "else",
            "Update Gds_StockCount set LeftCount = LeftCount + (nGoodsCount)",
            "where StorageCode= sDes_StorageCode and GoodsCode=sGoodsCode;", "end if;",
            "select ID into nStorageID from bas_Storage where StorageCode = sSrc_StorageCode;",
            "select count(ID) into num from Gds_StockCount where StorageCode = sSrc_StorageCode and GoodsCode = sGoodsCode;",
            "if num =0 then",
            "insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) values",
            "(seq_jxcid.nextval,nStorageID,sSrc_StorageCode,nGoodsID,sGoodsCode,0 - (nGoodsCount),sysdate,0);", "else",
            "Update Gds_StockCount set LeftCount = LeftCount - (nGoodsCount)",
            "where StorageCode= sSrc_StorageCode and GoodsCode=sGoodsCode;", "end if;",
            "Fetch AdjustBilldetail_Cursor Into nGoodsID, sGoodsCode,nGoodsCount,sSrc_StorageCode,sDes_StorageCode;",
            "end loop;", "close AdjustBilldetail_Cursor;", "end;",
            "update Sto_AdjustBillMain set BillStatus = 4 ,modified_time=sysdate where ID = " + billId + ";", "end;"};
        return pieces.join('\n');
    }

    QString Stock(const QString& storage, const QString& goods)
    {
        return Db().QueryValue("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode='" + storage
                               + "' and GoodsCode='" + goods + "'");
    }
};

TEST_P(ModuleSqlDb, OneBillFromSaveToPosting)
{
    SeedMasters();
    const QString id = Db().NextSequence("SEQ_JXCID");
    const QString no = "DB-20261208" + QString("%1").arg(Db().NextCounter("JXC_BILLNO_DB", 1).toLongLong(), 8, 10, QChar('0'));
    Db().ExecSql(SaveNewBill(id, no));

    const QString head = " select a.*, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                         "storageName_Out, (select storageName from bas_storage where StorageCode=a.Des_StorageCode) as "
                         "storageName_In  from Sto_AdjustBillMain a";
    auto list = Open(head + "  where  a.DELETED= 0 and a.BillNo ='" + no + "'");
    ASSERT_EQ(list->RecordCount(), 1);
    EXPECT_EQ(list->FieldByName("storageName_In").AsString(), QStringLiteral("门店"));
    EXPECT_EQ(list->FieldByName("Remark").AsString(), "it's urgent");
    EXPECT_EQ(list->FieldByName("BillSum").AsCurrency(), Currency::FromRaw(375000));

    EXPECT_EQ(Db().QueryValue("select count(*) from  Sto_AdjustBillDetail where BillNo= '" + no + "' "), "2");
    EXPECT_EQ(Db().QueryValue(" select AuditFlag from Sto_AdjustBillMain where BillNo ='" + no + "'"), "0");
    EXPECT_EQ(Db().QueryValue("select (nvl(sum(LeftCount),0) - 10) from Gds_StockCount where StorageCode='S01'  and  GoodsCode = 'G01' "), "40");

    Db().ExecSql(" Update Sto_AdjustBillMain set AuditFlag = 1, BillStatus = 2, Auditor = '001', AuditDate = sysdate where BillNo = '" + no + "'");
    auto state = Open(" select AuditFlag,BillStatus from Sto_AdjustBillMain where BillNo ='" + no + "'");
    EXPECT_EQ(state->FieldByName("AuditFlag").AsInteger(), 1);
    EXPECT_EQ(state->FieldByName("BillStatus").AsInteger(), 2);

    const QString rkId = Db().NextSequence("SEQ_JXCID");
    const QString ckId = Db().NextSequence("SEQ_JXCID");
    const QString auditDate = Open(" select AuditDate from Sto_AdjustBillMain where BillNo ='" + no + "'")
                                  ->FieldByName("AuditDate").AsDateTime().toString("yyyy-MM-dd hh:mm");
    const QString posting = " begin" + StockBill(ckId, "CK-1", "12", "S01", no, auditDate) + StockLines(ckId, "CK-1", "12", id)
                            + StockBill(rkId, "RK-1", "02", "S02", no, auditDate) + StockLines(rkId, "RK-1", "02", id)
                            + Movement(id) + " end;";
    Db().ExecSql(posting);

    EXPECT_EQ(Stock("S01", "G01"), "40");
    EXPECT_EQ(Stock("S02", "G01"), "10");
    EXPECT_EQ(Stock("S02", "GX9"), "0"); // no goods row: copied, but no stock moves
    EXPECT_EQ(Db().QueryValue("select BillStatus from Sto_AdjustBillMain where ID = " + id), "4");
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_GdsBillDetail where BillID = " + rkId), "2");
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_GdsBillDetail where BillID = " + ckId + " and BillType = '12'"), "2");
    auto ck = Open("select AuditDate, Remark from Sto_GdsBillMain where BillNo = 'CK-1'");
    EXPECT_EQ(ck->FieldByName("AuditDate").AsDateTime().time().second(), 0);
    EXPECT_EQ(ck->FieldByName("Remark").AsString(), "it's urgent");

    // The printed bill's query: one row per line, with names resolved.
    auto print = Open("select a.BillNO,a.BillDate,a.OptorCode,c.barcode,(select operatorname from sys_operator where "
                      "a.OptorCode = operatorcode) as  OptorCodeN, (select storageName from bas_storage where "
                      "StorageCode=a.Src_StorageCode) as storageName_Out, (select storageName from bas_storage where "
                      "StorageCode=a.Des_StorageCode) as storageName_In, (select DictDetailName from Sys_DictDetail where "
                      "c.CalUnit=DictDetailCode) as Unit,b.GoodsCode,b.GoodsName,b.GoodsCount from Sto_AdjustBillMain a "
                      "left join Sto_AdjustBillDetail b on a.BillNO=b.BillNO left join Bas_GoodsInfo c on "
                      "b.GoodsCode=c.GoodsCode  where   a.BillNO='" + no + "' ");
    EXPECT_EQ(print->RecordCount(), 2);
    EXPECT_EQ(print->FieldByName("OptorCodeN").AsString(), QStringLiteral("张三"));
}

TEST_P(ModuleSqlDb, PostingFailureUndoesTheWholeBlock)
{
    SeedMasters();
    Db().ExecSql(SaveNewBill("500", "DB-X"));
    Db().ExecSql(" Update Sto_AdjustBillMain set AuditFlag = 1, BillStatus = 2, Auditor = '001', AuditDate = sysdate where BillNo = 'DB-X'");
    // The destination storage has no master row: "select ID into" finds nothing.
    Db().ExecSql("update Sto_AdjustBillMain set Des_StorageCode = 'S99' where ID = 500");
    const QString posting = " begin" + StockBill("600", "CK-2", "12", "S01", "DB-X", "2026-12-08 10:15")
                            + StockLines("600", "CK-2", "12", "500") + Movement("500") + " end;";
    EXPECT_THROW(Db().ExecSql(posting), platform::EDatabaseError);
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_GdsBillMain"), "0");
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_GdsBillDetail"), "0");
    EXPECT_EQ(Stock("S01", "G01"), "50");
    EXPECT_EQ(Db().QueryValue("select BillStatus from Sto_AdjustBillMain where ID = 500"), "2");
}

TEST_P(ModuleSqlDb, ModifyUnauditAndDelete)
{
    SeedMasters();
    Db().ExecSql(SaveNewBill("700", "DB-M"));
    const QString modify = "  begin  Update Sto_AdjustBillMain set  BillDate = to_date('2026-12-20','YYYY-MM-DD HH24:MI:SS'), "
                           "BillSum = 2.5, GoodsCount = 1, Src_StorageCode ='S01', Des_StorageCode = 'S02', Remark ='' where "
                           "BillNo='DB-M'; delete from Sto_AdjustBillDetail where BillNo='DB-M';"
                           + Line("700", "DB-M", "G01", "铅笔", "2.5", "1", "2.5") + "  end; ";
    Db().ExecSql(modify);
    auto bill = Open(" select a.*,  (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                     "storageName_Out, (select storageName from bas_storage where StorageCode=a.Des_StorageCode) as "
                     "storageName_In  from Sto_AdjustBillMain a where a.BillNo='DB-M'");
    EXPECT_EQ(bill->FieldByName("BillDate").AsDateTime(), QDateTime(QDate(2026, 12, 20), QTime(0, 0)));
    auto lines = Open(" select a.*,b.GoodsName as BasGoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where "
                      "a.GoodsCode=b.GoodsCode   and a.BillNo='DB-M'");
    ASSERT_EQ(lines->RecordCount(), 1);
    EXPECT_DOUBLE_EQ(lines->FieldByName("GoodsCount").AsFloat(), 1);

    Db().ExecSql(" Update Sto_AdjustBillMain set AuditFlag = 1, BillStatus = 2, Auditor = '001', AuditDate = sysdate where BillNo = 'DB-M'");
    Db().ExecSql(" Update Sto_AdjustBillMain set AuditFlag = 0, BillStatus = 0, Auditor = '', AuditDate = null where BillNo = 'DB-M'");
    EXPECT_EQ(Db().QueryValue("select AuditDate from Sto_AdjustBillMain where BillNo = 'DB-M'"), "");

    Db().ExecSql("  begin  update Sto_AdjustBillMain  set DELETED= 1  where BillNo = 'DB-M'; update Sto_AdjustBillDetail set  "
                 "DELETED= 1 where BillNo = 'DB-M';  end;");
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_AdjustBillMain where DELETED= 0"), "0");
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_AdjustBillDetail where DELETED= 1"), "1");
    auto combos = Open("select StorageCode,storageName from bas_storage ");
    EXPECT_EQ(combos->RecordCount(), 2);
}

JXC_INSTANTIATE_DB_TEST(ModuleSqlDb);

} // namespace
