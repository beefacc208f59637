// 增加, 修改 and 删除 of the list window on the test host's database: the rights level, the
// refusals in their order, the editor opened and released, the reloads, and the soft delete with
// what both tables hold afterwards.
#include "tests/billlist/WorkWindowFixture.h"

#include "billedit/FrmBillEdit.h"
#include "host/db/DbService.h"
#include "lookup/FrmQryGoodsList.h"
#include "lookup/FrmQryStorageList.h"
#include "model/DateUtil.h"
#include "platform/ButtonEdit.h"
#include "platform/Component.h"
#include "platform/DataController.h"
#include "platform/rframebottom3.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "plugin/Host.h"

#include <QAction>
#include <QPushButton>

namespace billlisttest {
namespace {

const QDate kToday = model::Today();
const QString kNoRights = QStringLiteral("对不起，您的权限不足，请与系统管理员联系！");
constexpr int kPluginId = 77;

QDateTime At(const QDate& d, int h) { return QDateTime(d, QTime(h, 0)); }

class BillCommandsTest : public WorkWindowTest {
protected:
    // The window as the host opens it, with the operator's browse level for its plug-in id.
    TWorkWindowForm& OpenWithLevel(int level)
    {
        Exec(QStringLiteral("insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (%1, %2, %3, 1)")
                 .arg(host.Operator.OperatorId)
                 .arg(kPluginId)
                 .arg(level));
        TWorkWindowForm& w = Open();
        platform::SetTag(&w, kPluginId);
        return w;
    }
    QString Value(const QString& sql) { return plugin::HostDb()->QueryValue(sql); }
    void AddStockedGoods()
    {
        AddGoods(11, QStringLiteral("G001"), QStringLiteral("螺丝钉"), QStringLiteral("01"));
        Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
                            " values (50, 1, 'S01', 11, 'G001', 100, 0)"));
    }
    QStringList TakeMessages()
    {
        QStringList out = host.Log.Messages;
        host.Log.Messages.clear();
        return out;
    }
    host::db::DbService& Service() { return dynamic_cast<host::db::DbService&>(*plugin::HostDb()); }
};

TEST_F(BillCommandsTest, WithoutTheEditLevelAllThreeRefuseEvenOnAnEmptyList)
{
    TWorkWindowForm& w = OpenWithLevel(1);
    ASSERT_TRUE(ListedBills().isEmpty());
    for (QAction* a : {w.dxBarButton1, w.dxBarButton2, w.dxBarButton3}) {
        a->trigger();
        EXPECT_EQ(TakeMessages(), QStringList({kNoRights})) << a->text().toStdString();
    }
    EXPECT_TRUE(app.Dialogs().isEmpty());
    EXPECT_TRUE(app.Boxes().isEmpty());
}

TEST_F(BillCommandsTest, OnAnEmptyListModifyAndDeleteDoNothingWhileAddOpensTheEditor)
{
    TWorkWindowForm& w = OpenWithLevel(2);
    w.dxBarButton2->trigger();
    w.dxBarButton3->trigger();
    EXPECT_TRUE(TakeMessages().isEmpty());
    EXPECT_TRUE(app.Dialogs().isEmpty());
    EXPECT_TRUE(app.Boxes().isEmpty());

    TBillEditFrm* seen = nullptr;
    bool addMode = false;
    OnDialog<TBillEditFrm>([&](TBillEditFrm& f) {
        seen = BillEditFrm;
        addMode = f.AddMode;
        EXPECT_EQ(&f, BillEditFrm);
        EXPECT_EQ(f.parent(), nullptr);
        f.Frame31->bbtnClose->click();
    });
    w.dxBarButton1->trigger();
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(addMode);
    EXPECT_EQ(BillEditFrm, nullptr);
    EXPECT_EQ(app.Dialogs().size(), 1);
    EXPECT_TRUE(ListedBills().isEmpty());
}

TEST_F(BillCommandsTest, AddSavesABillAndTheListShowsTheBillsFromTodayWhateverTheSearchSays)
{
    AddStockedGoods();
    // Identifiers far above the sequence's, which the new bill takes.
    AddBill({901, "DB-EARLIER", At(kToday.addDays(-2), 9)});
    AddBill({902, "DB-THIS-MORNING", At(kToday, 8)});
    TWorkWindowForm& w = OpenWithLevel(2);
    w.edtBillNo->setText(QStringLiteral("DB-EARLIER"));
    w.btnQry->click();
    ASSERT_EQ(ListedBills(), QStringList({"DB-EARLIER"}));

    OnDialog<TBillEditFrm>([this](TBillEditFrm& f) {
        for (auto [edit, code] : {std::pair{f.edtStorageOut, "S01"}, std::pair{f.edtStorageIn, "S02"}}) {
            edit->setText(QLatin1String(code));
            OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) { d.Frame31->bbtnEnter->click(); });
            emit edit->ButtonClicked(0);
        }
        f.edtCondition->setText(QStringLiteral("G001"));
        OnDialog<TQryGoodsListFrm>([](TQryGoodsListFrm&) {}); // its single match is taken
        emit f.edtCondition->ButtonClicked(0);
        f.edtGoodsCount->setText(QStringLiteral("3"));
        f.btnAdd->click();
        f.Frame31->bbtnEnter->click();
    });
    w.dxBarButton1->trigger();
    EXPECT_TRUE(TakeMessages().isEmpty());
    EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join(u'\n').toStdString();
    const QString no = Value("select BillNo from Sto_AdjustBillMain where ID not in (901, 902)");
    ASSERT_FALSE(no.isEmpty());
    QStringList listed = ListedBills();
    listed.sort();
    QStringList expected = {no, "DB-THIS-MORNING"};
    expected.sort();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where BillNo = '" + no + "' and GoodsCount = 3"), "1");
}

TEST_F(BillCommandsTest, ModifyAndDeleteRefuseAuditedBillsOtherOperatorsBillsAndForeignGoods)
{
    AddGoods(11, QStringLiteral("G001"), QStringLiteral("螺丝钉"), QStringLiteral("01"));
    AddGoods(12, QStringLiteral("X001"), QStringLiteral("禁品"), QStringLiteral("09"));
    AddBill({1, "DB-AUDITED", At(kToday, 8), 2, 1});
    AddBill({2, "DB-LATE-AUDIT", At(kToday, 9)});
    AddBill({3, "DB-OTHERS", At(kToday, 10)});
    AddBill({4, "DB-FOREIGN", At(kToday, 11)});
    AddLine(41, {4, "DB-FOREIGN", At(kToday, 11)}, QStringLiteral("X001"), "1", "1");
    Exec(QStringLiteral("update Sto_AdjustBillMain set OptorCode = '007' where ID = 3"));
    TWorkWindowForm& w = OpenWithLevel(3);
    // Audited at another workstation after the list was read.
    Exec(QStringLiteral("update Sto_AdjustBillMain set AuditFlag = 1 where ID = 2"));
    ASSERT_EQ(ListedBills(), QStringList({"DB-AUDITED", "DB-LATE-AUDIT", "DB-OTHERS", "DB-FOREIGN"}));

    const QStringList modify = {"订单已审核不能修改!", "订单已审核不能修改!", "改订单只能由操作员[007]修改!",
                                "无商品操作权限!"};
    const QStringList remove = {"订单已审核不能删除!", "订单已审核不能删除!", "改订单只能由操作员[007]删除!",
                                "无商品操作权限!"};
    for (int row = 0; row < 4; ++row) {
        w.TableBillInfo->DataController()->SetFocusedRecordIndex(row);
        w.dxBarButton2->trigger();
        EXPECT_EQ(TakeMessages(), QStringList({modify[row]})) << row;
        w.dxBarButton3->trigger();
        EXPECT_EQ(TakeMessages(), QStringList({remove[row]})) << row;
    }
    EXPECT_TRUE(app.Dialogs().isEmpty());
    EXPECT_TRUE(app.Boxes().isEmpty());
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where DELETED = 1"), "0");
}

TEST_F(BillCommandsTest, ModifyOpensTheFocusedBillAndAfterASaveTheListShowsItAlone)
{
    AddStockedGoods();
    const Bill first{1, "DB-ONE", At(kToday, 8)};
    const Bill second{2, "DB-TWO", At(kToday, 9)};
    AddBill(first);
    AddBill(second);
    AddLine(21, second, QStringLiteral("G001"), "2", "5");
    TWorkWindowForm& w = OpenWithLevel(2);
    ClickBill(1);
    ASSERT_EQ(LinesFooter(), "1 条记录");

    // Cancel: the list stays, the lines shown are gone.
    QString shownLines;
    OnDialog<TBillEditFrm>([&](TBillEditFrm& f) {
        shownLines = LinesFooter();
        EXPECT_FALSE(f.AddMode);
        EXPECT_EQ(f.BillNo, "DB-TWO");
        EXPECT_EQ(f.BillID, "2");
        f.Frame31->bbtnClose->click();
    });
    w.dxBarButton2->trigger();
    EXPECT_EQ(shownLines, "0 条记录");
    EXPECT_EQ(ListedBills(), QStringList({"DB-ONE", "DB-TWO"}));
    EXPECT_EQ(LinesFooter(), "0 条记录");

    // Saved: the list reloads with the bill alone.
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(1);
    OnDialog<TBillEditFrm>([](TBillEditFrm& f) {
        f.edtRemark->setText(QStringLiteral("改了"));
        f.Frame31->bbtnEnter->click();
    });
    EXPECT_TRUE(w.EditFocusedBill());
    EXPECT_EQ(ListedBills(), QStringList({"DB-TWO"}));
    EXPECT_EQ(Value("select Remark from Sto_AdjustBillMain where ID = 2"), "改了");
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where BillNo = 'DB-TWO'"), "1");
    EXPECT_EQ(BillEditFrm, nullptr);
}

TEST_F(BillCommandsTest, AModifyTheDatabaseRefusesReloadsTheListOnlyWhenALaterOkSaves)
{
    AddStockedGoods();
    const Bill one{1, "DB-ONE", At(kToday, 8)};
    const Bill two{2, "DB-TWO", At(kToday, 9)};
    AddBill(one);
    AddBill(two);
    AddLine(21, two, QStringLiteral("G001"), "2", "5");
    Service().GetConnection().ExecNative(QStringLiteral("CREATE TRIGGER no_lines BEFORE INSERT ON Sto_AdjustBillDetail"
                                                        " BEGIN SELECT RAISE(ABORT, 'lines are locked'); END"),
                                         {}, nullptr);
    TWorkWindowForm& w = OpenWithLevel(2);
    auto refusedThen = [this](bool dropAndRetry) {
        OnDialog<TBillEditFrm>([this, dropAndRetry](TBillEditFrm& f) {
            f.edtRemark->setText(QStringLiteral("改了"));
            f.Frame31->bbtnEnter->click();
            EXPECT_TRUE(f.isVisible());
            EXPECT_FALSE(f.Saved);
            if (dropAndRetry) {
                Service().GetConnection().ExecNative(QStringLiteral("DROP TRIGGER no_lines"), {}, nullptr);
                f.Frame31->bbtnEnter->click();
            } else {
                f.Frame31->bbtnClose->click();
            }
        });
    };

    // Refused, then cancelled: nothing was written and the list is not read again.
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(1);
    refusedThen(false);
    EXPECT_FALSE(w.EditFocusedBill());
    EXPECT_EQ(host.Log.Errors.size(), 1);
    EXPECT_EQ(ListedBills(), QStringList({"DB-ONE", "DB-TWO"}));
    EXPECT_EQ(Value("select Remark from Sto_AdjustBillMain where ID = 2"), "r");

    // Refused, then saved by the next OK: the list shows the bill as saved.
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(1);
    refusedThen(true);
    EXPECT_TRUE(w.EditFocusedBill());
    EXPECT_EQ(host.Log.Errors.size(), 2);
    EXPECT_EQ(ListedBills(), QStringList({"DB-TWO"}));
    EXPECT_EQ(Value("select Remark from Sto_AdjustBillMain where ID = 2"), "改了");
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where BillNo = 'DB-TWO'"), "1");
    EXPECT_EQ(BillEditFrm, nullptr);
}

TEST_F(BillCommandsTest, DeleteAsksThenFlagsTheBillAndItsLinesWithTheToolbarOffMeanwhile)
{
    AddGoods(11, QStringLiteral("G001"), QStringLiteral("螺丝钉"), QStringLiteral("01"));
    const Bill one{1, "DB-ONE", At(kToday, 8)};
    const Bill two{2, "DB-TWO", At(kToday, 9)};
    AddBill(one);
    AddBill(two);
    AddLine(11, one, QStringLiteral("G001"), "1", "1");
    AddLine(21, two, QStringLiteral("G001"), "2", "1");
    AddLine(22, two, QStringLiteral("G001"), "3", "1");
    TWorkWindowForm& w = OpenWithLevel(2);
    ClickBill(1);

    app.QueueAnswer(platform::mbNo);
    w.dxBarButton3->trigger();
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].text, "确定要删除指定的订单？");
    EXPECT_EQ(app.Boxes()[0].caption, "提示 ");
    EXPECT_EQ(app.Boxes()[0].buttons, int(platform::mbYesNo));
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::Question);
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where DELETED = 1"), "0");
    EXPECT_EQ(ListedBills(), QStringList({"DB-ONE", "DB-TWO"}));

    QMap<QString, QList<bool>> toggles;
    for (QAction* a : {w.dxBarButton1, w.dxBarButton2, w.dxBarButton3, w.dxBarButton4, w.dxBarButton5,
                       w.dxBarButton6, w.dxBarButton7})
        QObject::connect(a, &QAction::changed, a, [a, &toggles] { toggles[a->objectName()] << a->isEnabled(); });
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton3->trigger();
    for (const char* name : {"dxBarButton1", "dxBarButton2", "dxBarButton3", "dxBarButton4", "dxBarButton5"})
        EXPECT_EQ(toggles.value(QLatin1String(name)), QList<bool>({false, true})) << name;
    EXPECT_FALSE(toggles.contains("dxBarButton6"));
    EXPECT_FALSE(toggles.contains("dxBarButton7"));
    EXPECT_EQ(host.Ui.Events.mid(host.Ui.Events.lastIndexOf("ShowProgress:正在保存数据请稍等...")),
              QStringList({"ShowProgress:正在保存数据请稍等...", "HideProgress", "NotifySaved"}));
    EXPECT_EQ(ListedBills(), QStringList({"DB-ONE"}));
    EXPECT_EQ(LinesFooter(), "0 条记录");
    EXPECT_EQ(Value("select DELETED from Sto_AdjustBillMain where BillNo = 'DB-TWO'"), "1");
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where BillNo = 'DB-TWO' and DELETED = 1"), "2");
    // Nothing else was touched, and nothing left the tables.
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where DELETED = 0"), "1");
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where DELETED = 0"), "1");
}

TEST_F(BillCommandsTest, ADeleteTheDatabaseRefusesLeavesBothTablesAndTheListAsTheyWere)
{
    AddGoods(11, QStringLiteral("G001"), QStringLiteral("螺丝钉"), QStringLiteral("01"));
    const Bill one{1, "DB-ONE", At(kToday, 8)};
    AddBill(one);
    AddLine(11, one, QStringLiteral("G001"), "1", "1");
    // The lines cannot be changed: the header's flag, set first in the block, must go back.
    Service().GetConnection().ExecNative(QStringLiteral("CREATE TRIGGER keep_lines BEFORE UPDATE ON Sto_AdjustBillDetail"
                                                        " BEGIN SELECT RAISE(ABORT, 'lines are locked'); END"),
                                         {}, nullptr);
    TWorkWindowForm& w = OpenWithLevel(2);
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton3->trigger();
    ASSERT_EQ(host.Log.Errors.size(), 1);
    EXPECT_TRUE(host.Log.Errors[0].startsWith("保存数据失败\r\n"));
    EXPECT_TRUE(host.Log.Errors[0].contains("lines are locked"));
    EXPECT_EQ(host.Ui.Events.mid(host.Ui.Events.lastIndexOf("ShowProgress:正在保存数据请稍等...")),
              QStringList({"ShowProgress:正在保存数据请稍等...", "HideProgress", "NotifySaveFailed"}));
    EXPECT_EQ(Value("select DELETED from Sto_AdjustBillMain"), "0");
    EXPECT_EQ(Value("select DELETED from Sto_AdjustBillDetail"), "0");
    EXPECT_EQ(ListedBills(), QStringList({"DB-ONE"}));
    for (QAction* a : {w.dxBarButton1, w.dxBarButton2, w.dxBarButton3, w.dxBarButton4, w.dxBarButton5})
        EXPECT_TRUE(a->isEnabled());
}

} // namespace
} // namespace billlisttest
