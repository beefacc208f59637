// The lines export of the list window's popup menu: refusals, the dialog, and the workbook
// read back cell by cell.
#include "tests/billlist/WorkWindowFixture.h"
#include "tests/support/XlsxReadBack.h"

#include "model/DateUtil.h"
#include "platform/DataController.h"
#include "platform/TableView.h"
#include "platform/workbook/XlsxWriter.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

namespace billlisttest {
namespace {

class LinesExportTest : public WorkWindowTest {
protected:
    QTemporaryDir dir;
    Bill bill{1, "DB-0001", QDateTime(model::Today(), QTime(8, 0))};

    void SetUp() override
    {
        WorkWindowTest::SetUp();
        AddGoods(1, "A100", QStringLiteral("苹果"), "01");
        AddGoods(2, "B200", QStringLiteral("香蕉"), "01");
        AddBill(bill);
        AddBill({2, "DB-EMPTY", QDateTime(model::Today(), QTime(9, 0))});
        AddLine(1, bill, "A100", "2.5", "3.333");
        AddLine(2, bill, "B200", "10", "1.25");
        Exec("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (1, 'S01', 'A100', 7)");
        Open();
    }
};

TEST_F(LinesExportTest, NothingShownIsRefusedBeforeTheDialog)
{
    Window().N1->trigger();
    EXPECT_EQ(host.Log.Messages, QStringList{QStringLiteral("无数据可导出!")});
    ClickBill(int(ListedBills().indexOf("DB-EMPTY")));
    Window().N1->trigger();
    EXPECT_EQ(host.Log.Messages.size(), 2);
    EXPECT_TRUE(app.FileDialogs().isEmpty());
}

TEST_F(LinesExportTest, CancellingTheDialogWritesNothingAndShowsNoHint)
{
    ClickBill(int(ListedBills().indexOf("DB-0001")));
    host.Ui.Events.clear();
    app.QueueFileCancel();
    Window().N1->trigger();
    EXPECT_EQ(app.FileDialogs().size(), 1);
    EXPECT_TRUE(host.Ui.Events.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(LinesExportTest, TheWorkbookHoldsTheShownColumnsNumbersUnitNamesAndTheFooter)
{
    ClickBill(int(ListedBills().indexOf("DB-0001")));
    host.Ui.Events.clear();
    const QString path = dir.filePath(QStringLiteral("明细.xlsx"));
    app.QueueFileName(path);
    Window().N1->trigger();
    ASSERT_EQ(app.FileDialogs().size(), 1);
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在导出..."), "HideProgress"}));
    const auto cells = testsupport::ReadFirstSheet(path);
    ASSERT_FALSE(cells.isEmpty());
    // The visible columns in order; 规格 is hidden.
    QStringList captions;
    for (const char* ref : {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"})
        captions << cells.value(QLatin1String(ref)).text;
    EXPECT_EQ(captions, (QStringList{QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("单位"),
                                      QStringLiteral("单价"), QStringLiteral("数量"), QStringLiteral("金额"),
                                      QStringLiteral("库存数量"), QString()}));
    // The rows as the grid orders them.
    const platform::DataController* dc = Window().TableGoodsList->DataController();
    for (int r = 0; r < dc->RecordCount(); ++r) {
        const QString row = QString::number(r + 2);
        const bool apple = dc->DisplayText(r, Window().colGoodsCode->Index()) == u"A100";
        EXPECT_EQ(cells.value("A" + row).text, apple ? "A100" : "B200");
        EXPECT_FALSE(cells.value("A" + row).number);
        EXPECT_EQ(cells.value("B" + row).text, apple ? QStringLiteral("苹果") : QStringLiteral("香蕉"));
        EXPECT_EQ(cells.value("C" + row).text, QStringLiteral("箱")); // the unit's name, not its code
        EXPECT_TRUE(cells.value("D" + row).number);
        EXPECT_DOUBLE_EQ(cells.value("D" + row).text.toDouble(), apple ? 3.333 : 1.25);
        EXPECT_TRUE(cells.value("E" + row).number);
        EXPECT_DOUBLE_EQ(cells.value("E" + row).text.toDouble(), apple ? 2.5 : 10.0);
        EXPECT_EQ(cells.value("E" + row).numberFormat, "0.00");
        EXPECT_DOUBLE_EQ(cells.value("F" + row).text.toDouble(), apple ? 8.3325 : 12.5);
        EXPECT_DOUBLE_EQ(cells.value("G" + row).text.toDouble(), apple ? 7.0 : 0.0);
    }
    // The footer: the sums as numbers in "0.00", the count as the grid shows it.
    EXPECT_EQ(cells.value("A4").text, QStringLiteral("2 条记录"));
    EXPECT_TRUE(cells.value("E4").number);
    EXPECT_DOUBLE_EQ(cells.value("E4").text.toDouble(), 12.5);
    EXPECT_EQ(cells.value("E4").numberFormat, "0.00");
    EXPECT_DOUBLE_EQ(cells.value("F4").text.toDouble(), 20.8325);
    EXPECT_EQ(cells.value("F4").numberFormat, "0.00");
    EXPECT_FALSE(cells.contains("A5"));
}

TEST_F(LinesExportTest, TheOldFormatsEntryStillWritesAWorkbookProgramsOpen)
{
    ClickBill(int(ListedBills().indexOf("DB-0001")));
    app.QueueFileName(dir.filePath("lines.xls"), 2);
    Window().N1->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath("lines.xls")));
    EXPECT_FALSE(testsupport::ReadFirstSheet(dir.filePath("lines.xlsx")).isEmpty());
}

TEST_F(LinesExportTest, AFolderThatCannotBeWrittenIsAnErrorAndLeavesNothing)
{
    ClickBill(int(ListedBills().indexOf("DB-0001")));
    host.Ui.Events.clear();
    app.QueueFileName(dir.filePath("no-such-folder/lines.xlsx"));
    Window().N1->trigger();
    EXPECT_EQ(app.HandledExceptions().size(), 1);
    EXPECT_TRUE(app.HandledExceptions().value(0).contains("lines.xlsx")) << app.HandledExceptions().value(0).toStdString();
    EXPECT_EQ(host.Ui.Events.last(), "HideProgress");
    EXPECT_FALSE(QFile::exists(dir.filePath("no-such-folder")));
}

TEST(XlsxNumberFormats, GridFormatsBecomeSpreadsheetFormatsWithLiteralTextQuoted)
{
    using platform::excel::SpreadsheetNumberFormat;
    EXPECT_EQ(SpreadsheetNumberFormat("0.00"), "0.00");
    EXPECT_EQ(SpreadsheetNumberFormat("#,##0.00;-#,##0.00"), "#,##0.00;-#,##0.00");
    EXPECT_EQ(SpreadsheetNumberFormat(QStringLiteral("0 条记录")), QStringLiteral("0 \"条记录\""));
    EXPECT_EQ(SpreadsheetNumberFormat(QStringLiteral("¥0.00")), QStringLiteral("\"¥\"0.00"));
}

} // namespace
} // namespace billlisttest
