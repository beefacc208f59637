// The host's menu commands on the transfer window: preview and print of its first grid
// through the host's printer service, export of that grid under its level caption, and find,
// which has no banded grid or tree list to search there.
#include "find/FindWindow.h"
#include "platform/Grid.h"
#include "tests/billlist/WorkWindowFixture.h"
#include "tests/support/XlsxReadBack.h"

#include <QDir>
#include <QTemporaryDir>

using namespace billlisttest;

TEST_F(WorkWindowTest, HostCommandsWorkOnTheFirstGrid)
{
    const QDateTime today = QDateTime(QDate::currentDate(), QTime(9, 30));
    AddBill({1, QStringLiteral("DB-0001"), today});
    AddBill({2, QStringLiteral("DB-0002"), today});
    TWorkWindowForm& w = Open();
    w.SetUnitCode(QStringLiteral("JXC_DBD"));
    ASSERT_EQ(ListedBills().size(), 2);
    plugin::TDllWindowIntf& intf = w;

    intf.PrintPreview();
    intf.PrintData();
    ASSERT_EQ(host.Printer.Calls.size(), 2);
    EXPECT_EQ(host.Printer.Calls[0].operation, QStringLiteral("PreviewComponent"));
    EXPECT_EQ(host.Printer.Calls[1].operation, QStringLiteral("PrintComponent"));
    for (const auto& call : host.Printer.Calls) {
        EXPECT_EQ(call.component.data(), w.cxGrid);
        EXPECT_EQ(call.flags, 0);
        EXPECT_EQ(call.unitCode, QStringLiteral("JXC_DBD"));
        EXPECT_EQ(call.formName, QStringLiteral("FormName"));
    }

    QTemporaryDir dir;
    app.QueueFileName(dir.filePath(QStringLiteral("bills.xls")));
    EXPECT_TRUE(intf.SaveToExcel());
    ASSERT_EQ(app.FileDialogs().size(), 1);
    EXPECT_EQ(app.FileDialogs()[0].options.fileName, w.cxGrid->ActiveLevel()->Caption());
    EXPECT_EQ(app.FileDialogs()[0].options.title, QStringLiteral("另存为Excel"));
    const auto cells = testsupport::ReadFirstSheet(dir.filePath(QStringLiteral("bills.xlsx")));
    QStringList numbers;
    for (const auto& c : cells)
        if (c.text.startsWith(QStringLiteral("DB-")))
            numbers << c.text;
    numbers.sort();
    EXPECT_EQ(numbers, (QStringList{QStringLiteral("DB-0001"), QStringLiteral("DB-0002")}));
    EXPECT_TRUE(host.Log.Errors.isEmpty());

    // Neither grid shows a banded view and there is no tree list: nothing to find.
    EXPECT_FALSE(intf.FindData());
    EXPECT_EQ(FindWindowForm, nullptr);
}
