#include "tests/billlist/WorkWindowFixture.h"

#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QTableView>
#include <QTest>

namespace billlisttest {

using model::QuotedStr;

void WorkWindowTest::SetUp()
{
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52101', '个')"));
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52102', '箱')"));
    Exec(QStringLiteral("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (1, 0, 'S01', '一号仓', 1)"));
    Exec(QStringLiteral("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (2, 0, 'S02', '二号仓', 1)"));
    Exec(QStringLiteral("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (%1, %2, '张三')")
             .arg(host.Operator.OperatorId)
             .arg(QuotedStr(host.Operator.OperatorCode)));
    AllowType(QStringLiteral("01"));
}

void WorkWindowTest::TearDown()
{
    if (window) {
        window->DoneWindow();
        window.reset();
    }
    EXPECT_TRUE(app.Clean());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << "left open: " << w->metaObject()->className();
}

void WorkWindowTest::Exec(const QString& sql) { plugin::HostDb()->ExecSql(sql); }

void WorkWindowTest::AddBill(const Bill& b)
{
    Exec(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode,"
                        " GoodsCount, BillSum, BillStatus, AuditFlag, OptorCode, Remark, DELETED) values (%1, %2,"
                        " to_date('%3','YYYY-MM-DD HH24:MI:SS'), %4, %5, 0, 0, %6, %7, %8, 'r', %9)")
             .arg(b.id)
             .arg(QuotedStr(b.no), model::FormatDateTime(b.date), QuotedStr(b.src), QuotedStr(b.des))
             .arg(b.status)
             .arg(b.audit)
             .arg(QuotedStr(host.Operator.OperatorCode))
             .arg(b.deleted));
}

void WorkWindowTest::AddLine(int id, const Bill& b, const QString& goodsCode, const QString& count,
                             const QString& price, int deleted)
{
    Exec(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, GoodsPrice,"
                        " GoodsCount, PaySum, DELETED) values (%1, %2, %3, %4, (select GoodsName from Bas_GoodsInfo where GoodsCode = %4),"
                        " '52102', %5, %6, %5 * %6, %7)")
             .arg(id)
             .arg(b.id)
             .arg(QuotedStr(b.no), QuotedStr(goodsCode), price, count)
             .arg(deleted));
}

void WorkWindowTest::AddGoods(int id, const QString& code, const QString& name, const QString& type,
                              const QString& barCode)
{
    Exec(QStringLiteral("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, BarCode, CalUnit, UseFlag, Deleted)"
                        " values (%1, %2, %3, %4, %5, '52102', 1, 0)")
             .arg(id)
             .arg(QuotedStr(code), QuotedStr(name), QuotedStr(type), QuotedStr(barCode)));
}

void WorkWindowTest::AllowType(const QString& type)
{
    Exec(QStringLiteral("insert into sys_operatorgoodstype (OperatorID, GoodsType) values (%1, %2)")
             .arg(host.Operator.OperatorId)
             .arg(QuotedStr(type)));
}

TWorkWindowForm& WorkWindowTest::Open()
{
    window = std::make_unique<TWorkWindowForm>();
    window->InitWindow();
    window->RefreshData();
    window->resize(1000, 600);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
}

QStringList WorkWindowTest::ListedBills()
{
    QStringList out;
    platform::DataController* dc = window->TableBillInfo->DataController();
    for (int r = 0; r < dc->RecordCount(); ++r)
        out << dc->DisplayText(r, window->colBillNo->Index());
    return out;
}

void WorkWindowTest::ClickBill(int record)
{
    QTableView* table = window->TableBillInfo->Table();
    const QRect cell = table->visualRect(table->model()->index(record, window->colBillNo->Index()));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

QString WorkWindowTest::LinesFooter()
{
    platform::DataController* dc = window->TableGoodsList->DataController();
    return dc->FooterSummaryText(2);
}

} // namespace billlisttest
