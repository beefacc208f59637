// The bill number read by a scanner from a printed bill and typed into the list's number
// search: the bill printed through 预览 and saved as a PDF file, its page read at 300 dpi.
#include "tests/billlist/WorkWindowFixture.h"

#include "model/DateUtil.h"
#include "platform/DataController.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "tests/support/BarcodeScan.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace billlisttest {
namespace {

TEST_F(WorkWindowTest, TheScannedBarCodeOfAPrintedBillFindsExactlyThatBill)
{
    JXC_REQUIRE_PROGRAMS("pdftoppm", "zbarimg");
    const QDate today = model::Today();
    AddGoods(1, "A100", QStringLiteral("苹果"), "01");
    // Numbers that differ from the printed one in a single digit, and an older bill.
    const Bill printed{1, "DB-2026120900000001", QDateTime(today, QTime(8, 0)), 2, 1};
    const Bill next{2, "DB-2026120900000002", QDateTime(today, QTime(9, 0)), 2, 1};
    const Bill dayBefore{3, "DB-2026120800000001", QDateTime(today, QTime(10, 0))};
    const Bill older{4, "DB-2026120900000010", QDateTime(today.addDays(-30), QTime(10, 0))};
    for (const Bill& b : {printed, next, dayBefore, older})
        AddBill(b);
    for (int i = 1; i <= 3; ++i)
        AddLine(i, printed, "A100", "1", "2");
    AddLine(4, next, "A100", "1", "2");
    TWorkWindowForm& w = Open();
    ASSERT_EQ(ListedBills().size(), 3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath("printed.pdf");
    app.OnDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog& d) {
        app.QueueFileName(pdf);
        auto* save = d.findChild<QAction*>(QStringLiteral("actSavePdf"));
        ASSERT_NE(save, nullptr);
        save->trigger();
        d.reject();
    });
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(int(ListedBills().indexOf(printed.no)));
    w.dxBarButton7->trigger();
    ASSERT_EQ(app.Dialogs().size(), 1);

    const QStringList scanned = scantest::DecodePdfPage(pdf, 1, dir.filePath("page1"));
    ASSERT_EQ(scanned, QStringList{printed.no});
    // A scanner types what it reads, like a keyboard.
    w.edtBillNo->clear();
    QTest::keyClicks(w.edtBillNo, scanned[0]);
    w.btnQry->click();
    EXPECT_EQ(ListedBills(), QStringList{printed.no});
    EXPECT_TRUE(host.Log.Errors.isEmpty());
}

} // namespace
} // namespace billlisttest
