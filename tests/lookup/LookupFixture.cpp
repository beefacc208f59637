#include "tests/lookup/LookupFixture.h"

#include "model/SqlText.h"

#include <QTest>

namespace lookuptest {

void LookupTest::SetUp()
{
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52101', '个')"));
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52102', '箱')"));
    // Not a unit: outside the 521 group.
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('61101', '红色')"));
    AllowType(QStringLiteral("01"));
}

void LookupTest::Exec(const QString& sql)
{
    plugin::HostDb()->ExecSql(sql);
}

void LookupTest::AddGoods(const Goods& g)
{
    using model::QuotedStr;
    const QString id = QString::number(g.id);
    Exec(QStringLiteral("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, GoodsKind, PyCode, BarCode, Model,"
                        " CalUnit, Brand, Color, bigness, ImageID, produceAddress, ReBateFlag, DefaultInPrice, LastInPrice,"
                        " CostPrice, SellPrice, RebatePrice, Valuta, MinPrice, UseFlag, LocationCode, Sort, Remark, Deleted)"
                        " values (%1, %2, %3, %4, 2, %5, 'BAR%1', 'M-%1', %6, 'BR', 'RED', 'BIG', 7, 'SH', 1,"
                        " 1.5, %7, 2.25, 3.5, 3.25, 1, 0.5, %8, 'L%1', 9, 'R%1', %9)")
             .arg(id, QuotedStr(g.code), QuotedStr(g.name), QuotedStr(g.type), QuotedStr(g.pyCode), QuotedStr(g.unit),
                  g.lastInPrice, QString::number(g.useFlag), QString::number(g.deleted)));
}

void LookupTest::AddStock(int id, const QString& storageCode, const QString& goodsCode, const QString& leftCount)
{
    Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
                        " values (%1, 0, %2, 0, %3, %4, 0)")
             .arg(QString::number(id), model::QuotedStr(storageCode), model::QuotedStr(goodsCode), leftCount));
}

void LookupTest::AddStorage(int id, int parentId, const QString& code, const QString& name, int useFlag)
{
    Exec(QStringLiteral("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, StorageKind, Manager, Address,"
                        " Sort, TelNo, Remark, OptorCode, UseFlag) values (%1, %2, %3, %4, 'K', '张三', '上海', %1,"
                        " '021', 'R', '001', %5)")
             .arg(QString::number(id), QString::number(parentId), model::QuotedStr(code), model::QuotedStr(name),
                  QString::number(useFlag)));
}

void LookupTest::AllowType(const QString& type)
{
    Exec(QStringLiteral("insert into sys_operatorgoodstype (OperatorID, GoodsType) values (%1, %2)")
             .arg(QString::number(host.Operator.OperatorId), model::QuotedStr(type)));
}

void LookupTest::Activate(QWidget& dialog)
{
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

} // namespace lookuptest
