// The bill editor from the keyboard alone: where the focus goes after a refusal, the cell editor
// of a new line, a storage name typed over without a pick, and a save the database refuses.
#include "host/db/DbService.h"
#include "lookup/FrmQryStorageList.h"
#include "platform/ButtonEdit.h"
#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/rframebottom3.h"
#include "platform/TableView.h"
#include "plugin/Host.h"
#include "tests/billedit/EditorFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace billedittest;

namespace {

const QString kDbCounter = QStringLiteral("select CounterValue from sys_counter where CounterName = 'JXC_BILLNO_DB'");

QString Name(QWidget* w) { return w ? w->objectName() : QStringLiteral("(none)"); }

class KeyboardRoadTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        AddGoods(1, QStringLiteral("G001"), QStringLiteral("螺丝钉"), QStringLiteral("3"));
        AddGoods(2, QStringLiteral("G002"), QStringLiteral("螺母"), QStringLiteral("2"));
    }

    // The next storage lookup is cancelled with Esc.
    void NextStorageEsc()
    {
        app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) {
            Activate(d);
            Key(Qt::Key_Escape);
        });
    }

    // From 调出仓库: the storage codes typed and picked by keys, Tab on to 备注.
    void PickStoragesByKeys(TBillEditFrm& f, const char* out, const char* in)
    {
        ASSERT_EQ(Focused(), f.edtStorageOut);
        for (const char* code : {out, in}) {
            Type(QLatin1String(code));
            NextStorageByKeys();
            Key(Qt::Key_Tab);
        }
        ASSERT_EQ(Focused(), f.edtRemark);
    }

    // From 选择商品: picks goods by its code and adds it with the given quantity, back in 选择商品.
    void AddGoodsByKeys(TBillEditFrm& f, const char* code, const char* count)
    {
        ASSERT_EQ(Focused(), f.edtCondition);
        Type(QLatin1String(code));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab); // picks, on to the price
        Key(Qt::Key_Tab); // the picked price stays
        ASSERT_EQ(Focused(), f.edtGoodsCount);
        QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
        Type(QLatin1String(count));
        Key(Qt::Key_Tab); // adds, back to the condition
        ASSERT_EQ(Focused(), f.edtCondition);
    }

    // From the focus, Tab on (storage lookups cancelled) to OK, and Enter.
    void OkByKeys()
    {
        for (int i = 0; i < 8 && Name(Focused()) != "bbtnEnter"; ++i) {
            if (QWidget* w = Focused(); w == editor->edtStorageOut || w == editor->edtStorageIn)
                NextStorageEsc();
            Key(Qt::Key_Tab);
        }
        ASSERT_EQ(Name(Focused()), "bbtnEnter");
        Key(Qt::Key_Return);
    }

    // The focus is in an open cell editor of the grid, on the given column.
    static void ExpectCellEditorOn(TBillEditFrm& f, platform::GridColumn* column)
    {
        QWidget* w = Focused();
        EXPECT_TRUE(f.TableGoodsList->IsEditing());
        EXPECT_TRUE(qobject_cast<QLineEdit*>(w) && f.TableGoodsList->Table()->isAncestorOf(w)) << Name(w).toStdString();
        EXPECT_EQ(f.TableGoodsList->FocusedColumn(), column);
    }
};

TEST_F(KeyboardRoadTest, TabInTheQuickEntryBeforeASourceStorageIsChosenStaysInTheSourceStorage)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        // The clerk tabs through the header without picking a storage.
        ASSERT_EQ(Name(Focused()), "edtStorageOut");
        NextStorageEsc();
        Key(Qt::Key_Tab);
        ASSERT_EQ(Name(Focused()), "edtStorageIn");
        NextStorageEsc();
        Key(Qt::Key_Tab);
        ASSERT_EQ(Name(Focused()), "edtRemark");
        Key(Qt::Key_Tab);
        ASSERT_EQ(Name(Focused()), "edtCondition");
        Type(QStringLiteral("G001"));
        const int dialogs = int(app.Dialogs().size());
        Key(Qt::Key_Tab);
        EXPECT_EQ(TakeMessages(), QStringList({"请选择调出仓库!"}));
        EXPECT_EQ(Name(QApplication::focusWidget()), "edtStorageOut");
        EXPECT_EQ(int(app.Dialogs().size()), dialogs); // no goods lookup
        // From there the road goes on with the source picked.
        Type(QStringLiteral("S01"));
        NextStorageByKeys();
        Key(Qt::Key_Tab);
        EXPECT_EQ(f.edtStorageOut->text(), "一号仓");
        EXPECT_EQ(f.SourceStorageCode(), "S01");
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(KeyboardRoadTest, ANewLineOpensOnItsCodeCellAndTabFromItGoesToOk)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStoragesByKeys(f, "S01", "S02");
        Key(Qt::Key_Tab);
        // The opening pending line, reached with an empty condition.
        Key(Qt::Key_Tab);
        ExpectCellEditorOn(f, f.colGoodsCode);
        Key(Qt::Key_Tab);
        EXPECT_EQ(Name(QApplication::focusWidget()), "bbtnEnter");

        // OK on a bill without goods sends the clerk back to the quick entry.
        Key(Qt::Key_Return);
        EXPECT_EQ(TakeMessages(), QStringList({"请选择需要调拨的商品信息!"}));
        // After a line with goods, a new line opens on its code cell all the same.
        AddGoodsByKeys(f, "G001", "2");
        Key(Qt::Key_Tab);
        ExpectCellEditorOn(f, f.colGoodsCode);
        EXPECT_EQ(f.TableGoodsList->DataController()->RowCount(), 2);
        // A code typed there picks, the quantity follows, Enter opens the next new line.
        Type(QStringLiteral("G002"));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab);
        ExpectCellEditorOn(f, f.colGoodsCount);
        Type(QStringLiteral("3"));
        Key(Qt::Key_Return);
        ExpectCellEditorOn(f, f.colGoodsCode);
        Key(Qt::Key_Tab);
        ASSERT_EQ(Name(QApplication::focusWidget()), "bbtnEnter");
        Key(Qt::Key_Return);
    });
    ASSERT_TRUE(editor->Saved) << TakeMessages().join(u',').toStdString();
    const QString no = Value("select BillNo from Sto_AdjustBillMain");
    EXPECT_EQ(StoredLines(no), QStringList({"G001|螺丝钉|2|3|6|001", "G002|螺母|3|2|6|001"}));
}

TEST_F(KeyboardRoadTest, AStorageNameTypedOverWithoutAPickIsRefusedUntilOneIsPicked)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStoragesByKeys(f, "S01", "S02");
        Key(Qt::Key_Tab);
        AddGoodsByKeys(f, "G001", "1");
        // Back to 调入仓库; a code typed over the name, its lookup cancelled.
        for (const char* name : {"edtRemark", "edtStorageIn"}) {
            Key(Qt::Key_Backtab);
            ASSERT_EQ(Name(Focused()), name);
        }
        Type(QStringLiteral("S03"));
        NextStorageEsc();
        Key(Qt::Key_Tab);
        ASSERT_EQ(f.edtStorageIn->text(), "S03");
        ASSERT_EQ(f.DestStorageCode(), "S02"); // still the code of the name no longer shown
        OkByKeys();
        EXPECT_EQ(TakeMessages(), QStringList({"请从仓库列表中选择调入仓库!"}));
        EXPECT_EQ(Name(QApplication::focusWidget()), "edtStorageIn");
        // The same for the source.
        Key(Qt::Key_Backtab);
        ASSERT_EQ(Name(Focused()), "edtStorageOut");
        Type(QStringLiteral("S02"));
        OkByKeys();
        EXPECT_EQ(TakeMessages(), QStringList({"请从仓库列表中选择调出仓库!"}));
        EXPECT_EQ(Name(QApplication::focusWidget()), "edtStorageOut");
        // Cleared, the source is still asked for as an empty one.
        QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_Delete);
        OkByKeys();
        EXPECT_EQ(TakeMessages(), QStringList({"调出仓不能为空，请选择!"}));
        EXPECT_EQ(Name(QApplication::focusWidget()), "edtStorageOut");
        // Picked again, both names name their codes and the bill saves.
        Type(QStringLiteral("S01"));
        NextStorageByKeys();
        Key(Qt::Key_Tab);
        ASSERT_EQ(Name(Focused()), "edtStorageIn");
        QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
        Type(QStringLiteral("S03"));
        NextStorageByKeys();
        Key(Qt::Key_Tab);
        EXPECT_EQ(f.edtStorageIn->text(), "三号仓");
        OkByKeys();
    });
    ASSERT_TRUE(editor->Saved) << TakeMessages().join(u',').toStdString();
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where Src_StorageCode = 'S01' and Des_StorageCode = 'S03'"),
              "1");
}

TEST_F(KeyboardRoadTest, ABlockTheDatabaseRefusesLeavesTheEditorOpenAndTheNextOkSavesOnce)
{
    auto& svc = dynamic_cast<host::db::DbService&>(*plugin::HostDb());
    svc.GetConnection().ExecNative(QStringLiteral("CREATE TRIGGER no_lines BEFORE INSERT ON Sto_AdjustBillDetail"
                                                  " BEGIN SELECT RAISE(ABORT, 'lines are locked'); END"),
                                   {}, nullptr);
    NewEditor();
    QString drawnFirst;
    Run([&](TBillEditFrm& f) {
        PickStoragesByKeys(f, "S01", "S02");
        Key(Qt::Key_Tab);
        AddGoodsByKeys(f, "G001", "2");
        AddGoodsByKeys(f, "G002", "1");
        OkByKeys();
        ASSERT_EQ(host.Log.Errors.size(), 1);
        EXPECT_TRUE(host.Log.Errors[0].startsWith("保存数据失败\r\n"));
        EXPECT_TRUE(host.Log.Errors[0].contains("lines are locked"));
        EXPECT_EQ(host.Probe.Events, QStringList({"ShowProgress:正在保存数据请稍等...", "HideProgress", "NotifySaveFailed"}));
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.Saved);
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|2|3|6", "G002|螺母|1|2|2"}));
        EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "0");
        drawnFirst = Value(kDbCounter);
        // The focus is back on OK: Enter tries again.
        EXPECT_EQ(Name(QApplication::focusWidget()), "bbtnEnter");
        svc.GetConnection().ExecNative(QStringLiteral("DROP TRIGGER no_lines"), {}, nullptr);
        host.Probe.Events.clear();
        Key(Qt::Key_Return);
    });
    EXPECT_TRUE(editor->Saved);
    EXPECT_EQ(host.Probe.Events, QStringList({"ShowProgress:正在保存数据请稍等...", "NotifySaved", "HideProgress"}));
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "1");
    const QString no = Value("select BillNo from Sto_AdjustBillMain");
    EXPECT_EQ(Value(kDbCounter).toInt(), drawnFirst.toInt() + 1);
    EXPECT_TRUE(no.endsWith(QStringLiteral("%1").arg(Value(kDbCounter).toInt(), 8, 10, QLatin1Char('0'))))
        << no.toStdString();
    EXPECT_EQ(StoredLines(no), QStringList({"G001|螺丝钉|2|3|6|001", "G002|螺母|1|2|2|001"}));
}

} // namespace
