// The ledger window on the test host: opened for a storage and goods, its rows and balances, the
// stock at a chosen day's end, the bill links, and the window base's export and find on its grid.
#include "ledger/StockLedgerForm.h"
#include "tests/ledger/LedgerSeed.h"
#include "tests/support/ModuleHarness.h"
#include "tests/support/XlsxReadBack.h"

#include "find/FindWindow.h"
#include "platform/Grid.h"
#include "platform/BandedTableView.h"
#include "platform/DataController.h"
#include "platform/DateEdit.h"
#include "platform/GridColumn.h"
#include "plugin/Host.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ledgertest::Day;

class StockLedgerFormTest : public ::testing::Test {
protected:
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    testsupport::ModuleScope scope{app, &host};
    QPointer<TStockLedgerForm> form;

    void SetUp() override
    {
        plugin::IDbIntf& db = *plugin::HostDb();
        db.ExecSql("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (1, 0, 'S01', '一号仓', 1)");
        db.ExecSql("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (2, 0, 'S02', '二号仓', 1)");
        db.ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, Deleted) values (1, 'G01', '苹果', 0)");
        db.ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, Deleted) values (2, 'G02', '香蕉', 0)");
        ledgertest::SeedTransferHistory(db);
    }
    void TearDown() override
    {
        if (FindWindowForm)
            FindWindowForm->close();
        if (form)
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()); // closing frees the window
        EXPECT_TRUE(app.Clean());
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible()) << "left open: " << w->metaObject()->className();
    }

    TStockLedgerForm& Open(const QString& storage = "S01", const QString& goods = "G01")
    {
        form = ledger::ShowStockLedger(nullptr, storage, goods);
        return *form;
    }
    QString Cell(int record, platform::GridColumn* column) const
    {
        return form->TableLedger->DataController()->DisplayText(record, column->Index());
    }
    QStringList Column(platform::GridColumn* column) const
    {
        QStringList texts;
        for (int r = 0; r < form->TableLedger->DataController()->RecordCount(); ++r)
            texts << Cell(r, column);
        return texts;
    }
    void Click(int record, platform::GridColumn* column)
    {
        QTableView* table = form->TableLedger->Table();
        const QRect cell = table->visualRect(table->model()->index(record, column->Index()));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

TEST_F(StockLedgerFormTest, OpensAsItsOwnWindowOnTheStorageAndGoodsWithRowsAndBalances)
{
    TStockLedgerForm& f = Open();
    EXPECT_TRUE(f.isWindow());
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.isModal());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("库存台账"));
    EXPECT_EQ(f.cbStorage->currentText(), QStringLiteral("S01 一号仓"));
    EXPECT_EQ(f.cbGoods->currentText(), QStringLiteral("G01 苹果"));
    EXPECT_EQ(Column(f.colBillNo), (QStringList{"RK-3", "CK-2", "CK-1", "QC-1"}));
    EXPECT_EQ(Column(f.colBillType), (QStringList{QStringLiteral("冲销入库"), QStringLiteral("调拨出库"),
                                                   QStringLiteral("调拨出库"), QStringLiteral("期初入库")}));
    EXPECT_EQ(Column(f.colSrcBillNo), (QStringList{"DB-1", "DB-2", "DB-1", ""}));
    EXPECT_EQ(Column(f.colInCount), (QStringList{"3.00", "", "", "100.00"}));
    EXPECT_EQ(Column(f.colOutCount), (QStringList{"", "5.00", "3.00", ""}));
    EXPECT_EQ(Column(f.colBalance), (QStringList{"95.00", "92.00", "97.00", "100.00"}));
    EXPECT_EQ(Cell(0, f.colRemark), QStringLiteral("冲销"));
    EXPECT_EQ(Cell(1, f.colBillDate), "2026-03-03 10:00:00");
    QStringList captions;
    for (int i = 0; i < f.TableLedger->ColumnCount(); ++i)
        captions << f.TableLedger->Column(i)->Caption();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("日期"), QStringLiteral("单据号"), QStringLiteral("类型"),
                                     QStringLiteral("调拨单号"), QStringLiteral("入库数量"), QStringLiteral("出库数量"),
                                     QStringLiteral("结存"), QStringLiteral("备注")}));

    // Another storage: its own ledger.
    f.cbStorage->setCurrentIndex(f.cbStorage->findData("S02"));
    EXPECT_EQ(Column(f.colBillNo), (QStringList{"CK-3", "RK-1"}));
    EXPECT_EQ(Column(f.colBalance), (QStringList{"0.00", "3.00"}));
}

TEST_F(StockLedgerFormTest, TheStockLabelFollowsTheChosenDay)
{
    TStockLedgerForm& f = Open();
    EXPECT_EQ(f.dtAsOf->Date(), model::Today());
    EXPECT_EQ(f.lblStockAsOf->text(),
              QStringLiteral("截至") + model::Today().toString("yyyy-MM-dd") + QStringLiteral("日终库存：95"));
    const std::pair<int, const char*> days[] = {{2, "97"}, {3, "92"}, {4, "95"}, {1, "100"}};
    for (const auto& [day, stock] : days) {
        f.dtAsOf->SetDate(Day(day).date());
        EXPECT_EQ(f.lblStockAsOf->text(),
                  QStringLiteral("截至2026-03-0%1日终库存：%2").arg(day).arg(QLatin1String(stock)));
    }
    f.dtAsOf->SetDate(QDate(2026, 2, 28));
    EXPECT_EQ(f.lblStockAsOf->text(), QStringLiteral("截至2026-02-28日终库存：0"));
}

TEST_F(StockLedgerFormTest, BillNumberLinksNameTheirTransferBill)
{
    TStockLedgerForm& f = Open();
    QSignalSpy links(&f, &TStockLedgerForm::BillLinkActivated);
    Click(1, f.colSrcBillNo);
    Click(2, f.colBillNo);
    Click(1, f.colBillType); // not a link
    Click(3, f.colBillNo);   // opening stock: no transfer behind it
    ASSERT_EQ(links.size(), 2);
    EXPECT_EQ(links[0].value(0).toString(), "DB-2");
    EXPECT_EQ(links[1].value(0).toString(), "DB-1");
}

TEST_F(StockLedgerFormTest, TheWindowBasesExportWritesTheGrid)
{
    TStockLedgerForm& f = Open();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("台账.xlsx"));
    app.QueueFileName(path);
    f.actExport->trigger();
    ASSERT_EQ(app.FileDialogs().size(), 1);
    const auto cells = testsupport::ReadFirstSheet(path);
    ASSERT_FALSE(cells.isEmpty());
    QStringList head;
    for (const char* ref : {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"})
        head << cells.value(QLatin1String(ref)).text;
    EXPECT_EQ(head, (QStringList{QStringLiteral("日期"), QStringLiteral("单据号"), QStringLiteral("类型"),
                                 QStringLiteral("调拨单号"), QStringLiteral("入库数量"), QStringLiteral("出库数量"),
                                 QStringLiteral("结存"), QStringLiteral("备注")}));
    EXPECT_EQ(cells.value("B3").text, "CK-2");
    EXPECT_EQ(cells.value("C3").text, QStringLiteral("调拨出库"));
    EXPECT_TRUE(cells.value("F3").number);
    EXPECT_DOUBLE_EQ(cells.value("F3").text.toDouble(), 5);
    EXPECT_TRUE(cells.value("G5").number);
    EXPECT_DOUBLE_EQ(cells.value("G5").text.toDouble(), 100);
    EXPECT_FALSE(cells.contains("B6"));
}

TEST_F(StockLedgerFormTest, TheWindowBasesFindSearchesTheGrid)
{
    // The find dialog serves grids of more than 20 rows.
    for (int i = 0; i < 20; ++i)
        ledgertest::AddStockBill(*plugin::HostDb(), {100 + i, QStringLiteral("CK-X%1").arg(i), "12", "S01",
                                                     QStringLiteral("DB-X%1").arg(i), Day(5), "", {{"G01", "1"}}});
    TStockLedgerForm& f = Open();
    ASSERT_EQ(f.TableLedger->DataController()->RecordCount(), 24);
    f.actFind->trigger();
    ASSERT_NE(FindWindowForm, nullptr);
    EXPECT_EQ(FindWindowForm->SearchGrid.data(), f.cxGridLedger);
    FindWindowForm->Edit1->setText("CK-2");
    QTest::mouseClick(FindWindowForm->Button1, Qt::LeftButton);
    const int found = f.TableLedger->DataController()->FocusedRecordIndex();
    ASSERT_GE(found, 0);
    EXPECT_EQ(Cell(found, f.colBillNo), "CK-2");
}

} // namespace
