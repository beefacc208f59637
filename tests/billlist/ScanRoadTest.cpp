// A clerk's whole road without the mouse, through the real list window and editor: 增加 from
// the bill list's menu, two storages picked by keys, twenty lines scanned (F2, each code and
// Enter), OK by its mnemonic, then 审核, 预览 and 调拨 from the same menu, the posting's preview
// beside its question. Boxes are answered as the scripted host answers them.
#include "tests/billlist/WorkWindowFixture.h"

#include "billedit/FrmBillEdit.h"
#include "billlist/PostingPreviewForm.h"
#include "lookup/FrmQryStorageList.h"
#include "model/SqlText.h"
#include "platform/Component.h"
#include "platform/DataController.h"
#include "platform/TableView.h"
#include "platform/ButtonEdit.h"
#include "platform/TextEdit.h"
#include "platform/rframebottom3.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QPrintPreviewDialog>
#include <QTableView>
#include <QTest>

namespace billlisttest {
namespace {

using model::QuotedStr;

constexpr int kGoods = 20;

QString BarCode(int i) { return QStringLiteral("69020000%1").arg(i, 4, 10, QLatin1Char('0')); }

class ScanRoadTest : public WorkWindowTest {
protected:
    void SetUp() override
    {
        WorkWindowTest::SetUp();
        for (int i = 1; i <= kGoods; ++i) {
            AddGoods(i, QStringLiteral("G%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("商品%1").arg(i), "01",
                     BarCode(i));
            Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount,"
                                " Deleted) values (%1, 1, 'S01', %1, 'G%2', 50, 0)")
                     .arg(i)
                     .arg(i, 3, 10, QLatin1Char('0')));
        }
        Exec(QStringLiteral("insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (%1,"
                            " 2001, 2, 1)")
                 .arg(host.Operator.OperatorId));
    }
    QString Value(const QString& sql) { return plugin::HostDb()->QueryValue(sql); }
    static void Activate(QWidget& window)
    {
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    static QWidget* Focused()
    {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && !modal->isActiveWindow())
            Activate(*modal);
        return QApplication::focusWidget();
    }
    static void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(Focused(), Qt::Key(key), mods);
    }
    // A command from the bill list's menu: the menu key on the list, Down to the item, Enter.
    void MenuCommand(TWorkWindowForm& w, const QString& caption)
    {
        w.TableBillInfo->Table()->setFocus();
        QTest::keyClick(w.TableBillInfo->Table(), Qt::Key_Menu);
        QMenu* menu = w.BillPopupMenu;
        ASSERT_TRUE(menu->isVisible()) << caption.toStdString();
        for (int i = 0; i < 20 && !(menu->activeAction() && menu->activeAction()->text() == caption); ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        ASSERT_TRUE(menu->activeAction() && menu->activeAction()->text() == caption) << caption.toStdString();
        QTest::keyClick(menu, Qt::Key_Return);
    }
    // In the editor: a storage code typed and picked from its lookup by keys, Tab on.
    void StorageByKeys(const char* code)
    {
        QTest::keyClicks(Focused(), QLatin1String(code));
        app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) {
            Activate(d);
            Key(Qt::Key_Return); // the tree hands the focus to OK
            Key(Qt::Key_Return); // OK takes the storage
        });
        Key(Qt::Key_Tab);
    }
};

TEST_F(ScanRoadTest, TwentyScannedLinesFromAddToPostedWithoutTheMouse)
{
    TWorkWindowForm& w = Open();
    platform::SetTag(&w, 2001);
    w.show();
    Activate(w);

    QString saved;
    app.OnDialog<TBillEditFrm>([&](TBillEditFrm& f) {
        Activate(f);
        ASSERT_EQ(Focused(), static_cast<QWidget*>(f.edtStorageOut));
        StorageByKeys("S01");
        StorageByKeys("S02");
        Key(Qt::Key_F2);
        ASSERT_EQ(Focused(), static_cast<QWidget*>(f.edtScan));
        for (int i = 1; i <= kGoods; ++i) {
            QTest::keyClicks(Focused(), BarCode(i));
            Key(Qt::Key_Return);
        }
        QTest::keyClicks(Focused(), BarCode(7)); // the seventh twice
        Key(Qt::Key_Return);
        // Tab on to OK, Enter presses it.
        for (int i = 0; i < 40 && Focused() != static_cast<QWidget*>(f.Frame31->bbtnEnter); ++i)
            Key(Qt::Key_Tab);
        Key(Qt::Key_Return);
        saved = f.Saved ? QStringLiteral("saved") : QStringLiteral("focus %1, visible %2, lines %3, status %4")
                                                          .arg(Focused() ? Focused()->objectName() : "-")
                                                          .arg(f.isVisible())
                                                          .arg(f.Lines()->RecordCount())
                                                          .arg(f.lblScanStatus->text());
    });
    MenuCommand(w, QStringLiteral("增加"));
    ASSERT_EQ(saved.toStdString(), "saved") << host.Log.Messages.join("\n").toStdString();
    const QString no = Value("select BillNo from Sto_AdjustBillMain");
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail"), QString::number(kGoods));
    EXPECT_EQ(Value("select sum(GoodsCount) from Sto_AdjustBillDetail"), QString::number(kGoods + 1));
    EXPECT_EQ(Value("select GoodsCount from Sto_AdjustBillDetail where GoodsCode = 'G007'"), "2");
    ASSERT_EQ(ListedBills(), QStringList{no});

    // 审核: Enter on the bill shows its lines first, as a click would.
    w.TableBillInfo->Table()->setFocus();
    QTest::keyClick(w.TableBillInfo->Table(), Qt::Key_Return);
    EXPECT_EQ(w.TableGoodsList->DataController()->RecordCount(), kGoods);
    app.QueueAnswer(platform::mbYes);
    MenuCommand(w, QStringLiteral("审核"));
    EXPECT_EQ(Value("select AuditFlag from Sto_AdjustBillMain"), "1");

    // 预览: the printed bill's preview, closed with Esc.
    bool previewed = false;
    app.OnDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog& d) {
        previewed = true;
        Activate(d);
        Key(Qt::Key_Escape);
    });
    MenuCommand(w, QStringLiteral("预览"));
    EXPECT_TRUE(previewed);

    // 调拨: the posting's preview stands beside its question; OK posts.
    int previewRows = 0;
    app.WhileAsking = [&](const QString&) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<TPostingPreviewForm*>(top); p && p->isVisible())
                previewRows = int(p->Rows().size());
    };
    app.QueueAnswer(platform::mbOK);
    MenuCommand(w, QStringLiteral("调拨"));
    app.WhileAsking = nullptr;
    EXPECT_EQ(previewRows, kGoods);
    EXPECT_EQ(Value("select BillStatus from Sto_AdjustBillMain"), "4");
    EXPECT_EQ(Value("select sum(LeftCount) from Gds_StockCount where StorageCode = 'S02'"), QString::number(kGoods + 1));
    EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join("\n").toStdString();
    w.hide();
}

} // namespace
} // namespace billlisttest
