// The goods lookup: the four searches, the minimum length, the auto-pick, OK and Cancel, the
// record handed back.
#include "lookup/FrmQryGoodsList.h"
#include "lookup/rframebottom3.h"
#include "platform/DataController.h"
#include "platform/Dataset.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/Exception.h"
#include "tests/lookup/LookupFixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace lookuptest;
using Frm = TQryGoodsListFrm;

namespace {

int Rows(const Frm& d) { return d.Data() ? d.Data()->RecordCount() : -1; }

QStringList Codes(const Frm& d)
{
    QStringList out;
    platform::Dataset* ds = d.Data();
    if (!ds)
        return out;
    const int f = ds->FieldIndex(QStringLiteral("GoodsCode"));
    for (int r = 0; r < ds->RecordCount(); ++r)
        out << ds->At(r, f).toString();
    out.sort();
    return out;
}

int RowOf(const Frm& d, const QString& code)
{
    platform::Dataset* ds = d.Data();
    const int f = ds->FieldIndex(QStringLiteral("GoodsCode"));
    for (int r = 0; r < ds->RecordCount(); ++r)
        if (ds->At(r, f).toString() == code)
            return r;
    return -1;
}

class GoodsLookupTest : public LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        AllowType(QStringLiteral("02"));
        AddGoods({1, QStringLiteral("ABC001"), QStringLiteral("螺丝钉"), QStringLiteral("01"), QStringLiteral("LSD"), 1, 0,
                  QStringLiteral("12.5")});
        AddGoods({2, QStringLiteral("ABC002"), QStringLiteral("螺母"), QStringLiteral("02"), QStringLiteral("LM"), 1, 0,
                  QStringLiteral("3"), QStringLiteral("52102")});
        AddGoods({3, QStringLiteral("XYZ100"), QStringLiteral("垫片ABC"), QStringLiteral("01"), QStringLiteral("DP")});
        AddGoods({4, QStringLiteral("QQQ1"), QStringLiteral("扳手"), QStringLiteral("01"), QStringLiteral("BSABC")});
        AddGoods({5, QStringLiteral("UNIQUE9"), QStringLiteral("独一"), QStringLiteral("01"), QStringLiteral("DY")});
        AddStock(101, QStringLiteral("S01"), QStringLiteral("ABC001"), QStringLiteral("7.5"));
        AddStock(102, QStringLiteral("S02"), QStringLiteral("ABC001"), QStringLiteral("-2"));
        AddStock(103, QStringLiteral("S01"), QStringLiteral("ABC002"), QStringLiteral("4"));
    }
};

} // namespace

TEST_F(GoodsLookupTest, DialogLooksAsDesigned)
{
    Frm d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("商品检索"));
    EXPECT_EQ(d.size(), QSize(461, 442));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_TRUE(d.KeyPreview());
    EXPECT_EQ(d.edtCondition->font().pixelSize(), 16);
    EXPECT_EQ(d.edtCondition->width(), 234);
    EXPECT_TRUE(d.edtCondition->UpperCase());
    EXPECT_EQ(d.BtnQry->text(), QStringLiteral("查询(&Q)"));
    EXPECT_EQ(d.lblTitle->text(), QStringLiteral("【商品选择】"));
    EXPECT_TRUE(d.lblTitle->font().bold());
    EXPECT_EQ(d.lblHint->text(), QStringLiteral("输入商品编号或商品名称、商品简拼，检索商品信息。"));
    EXPECT_EQ(d.lblCondition->text(), QStringLiteral("输入检索条件："));
    EXPECT_EQ(d.findChild<platform::Grid*>(QStringLiteral("cxGrid")), d.cxGrid);
    EXPECT_EQ(d.findChild<QTimer*>(QStringLiteral("tmr1")), d.tmr1);
    EXPECT_EQ(d.tmr1->interval(), 100);
    EXPECT_FALSE(d.tmr1->isActive());
    EXPECT_EQ(d.findChild<TFrame3*>(QStringLiteral("Frame31")), d.Frame31);

    struct Col {
        const char* name;
        const char* caption;
        const char* field;
        int width;
        bool focusing;
    };
    const Col cols[] = {{"colGoodsCode", "商品编号", "GoodsCode", 106, false},
                        {"colGoodsName", "商品名称", "GoodsName", 153, false},
                        {"colGdsLeftCount", "库存数量", "GdsLeftCount", 72, true},
                        {"colGoodsPrice", "价格", "LastInPrice", 63, false},
                        {"colCalUnit", "单位", "CalUnit", 65, false}};
    ASSERT_EQ(d.TableGoodsList->ColumnCount(), 5);
    for (int i = 0; i < 5; ++i) {
        platform::GridColumn* c = d.TableGoodsList->Column(i);
        EXPECT_EQ(c->objectName(), QLatin1String(cols[i].name));
        EXPECT_EQ(c->Caption(), QString::fromUtf8(cols[i].caption));
        EXPECT_EQ(c->FieldName(), QLatin1String(cols[i].field));
        EXPECT_EQ(c->Width(), cols[i].width);
        EXPECT_EQ(c->Focusing(), cols[i].focusing) << cols[i].name;
    }
    EXPECT_EQ(d.colGoodsCode->MinWidth(), 100);
    EXPECT_EQ(d.colGoodsName->MinWidth(), 40);
    EXPECT_FALSE(d.colCalUnit->Properties().ShowButtons());
    EXPECT_FALSE(d.TableGoodsList->CellSelect());
    EXPECT_TRUE(d.TableGoodsList->ColumnAutoWidth());
    EXPECT_TRUE(d.TableGoodsList->FooterVisible());
    // The host's table-view sheet.
    EXPECT_EQ(d.TableGoodsList->StyleSheet(), host.Ui.Styles.StyleSheet(0));
}

TEST_F(GoodsLookupTest, UnitColumnShowsUnitNamesAndFooterCountsRecords)
{
    Frm d;
    d.QueryGoods(QStringLiteral("ABC00"));
    ASSERT_EQ(Rows(d), 2);
    platform::DataController* dc = d.TableGoodsList->DataController();
    EXPECT_EQ(dc->DisplayText(RowOf(d, QStringLiteral("ABC001")), d.colCalUnit->Index()), QStringLiteral("个"));
    EXPECT_EQ(dc->DisplayText(RowOf(d, QStringLiteral("ABC002")), d.colCalUnit->Index()), QStringLiteral("箱"));
    // Only the 521 group feeds the unit names.
    EXPECT_EQ(d.colCalUnit->Properties().ItemCount(), 2);
    EXPECT_EQ(dc->FooterSummaryText(0), QStringLiteral("2 条记录"));
    d.QueryGoods(QString());
    EXPECT_EQ(dc->FooterSummaryText(0), QStringLiteral("0 条记录"));
}

TEST_F(GoodsLookupTest, ConditionMatchesCodeNameAndPhoneticInitialsWithoutStorage)
{
    Frm d;
    d.QueryGoods(QStringLiteral("ABC"));
    // Code ABC001/ABC002, name 垫片ABC, phonetic BSABC.
    EXPECT_EQ(Codes(d), (QStringList{"ABC001", "ABC002", "QQQ1", "XYZ100"}));
    // The grid shows the stock summed over all storages, 0 without stock rows.
    platform::Dataset* ds = d.Data();
    const int f = ds->FieldIndex(QStringLiteral("GdsLeftCount"));
    EXPECT_DOUBLE_EQ(ds->At(RowOf(d, QStringLiteral("ABC001")), f).toDouble(), 5.5);
    EXPECT_DOUBLE_EQ(ds->At(RowOf(d, QStringLiteral("XYZ100")), f).toDouble(), 0.0);
}

TEST_F(GoodsLookupTest, StorageFilterKeepsOnlyGoodsStockedThereWithThatStock)
{
    Frm d;
    d.SetFilterStorageCode(QStringLiteral("S01"));
    d.QueryGoods(QStringLiteral("ABC"));
    EXPECT_EQ(Codes(d), (QStringList{"ABC001", "ABC002"}));
    platform::Dataset* ds = d.Data();
    EXPECT_DOUBLE_EQ(ds->At(RowOf(d, QStringLiteral("ABC001")), ds->FieldIndex(QStringLiteral("GdsLeftCount"))).toDouble(), 7.5);

    d.SetFilterStorageCode(QStringLiteral("S02"));
    d.QueryGoods(QStringLiteral("ABC"));
    EXPECT_EQ(Codes(d), QStringList{"ABC001"});
    d.SetFilterStorageCode(QStringLiteral("S99"));
    d.QueryGoods(QStringLiteral("ABC"));
    EXPECT_EQ(Rows(d), 0);
}

TEST_F(GoodsLookupTest, GoodsOutOfUseDeletedOrOfAnotherTypeNeverAppear)
{
    AddGoods({11, QStringLiteral("HID001"), QStringLiteral("停用"), QStringLiteral("01"), {}, 0, 0});
    AddGoods({12, QStringLiteral("HID002"), QStringLiteral("删除"), QStringLiteral("01"), {}, 1, 1});
    AddGoods({13, QStringLiteral("HID003"), QStringLiteral("无权"), QStringLiteral("03"), {}, 1, 0});
    AddGoods({14, QStringLiteral("HID004"), QStringLiteral("可见"), QStringLiteral("01"), {}, 1, 0});
    AddGoods({15, QStringLiteral("HID005"), QStringLiteral("停用2"), QStringLiteral("01"), {}, 2, 0});
    for (int i = 11; i <= 15; ++i)
        AddStock(200 + i, QStringLiteral("S01"), QStringLiteral("HID00%1").arg(i - 10), QStringLiteral("1"));

    Frm d;
    d.QueryGoods(QStringLiteral("HID"));
    EXPECT_EQ(Codes(d), QStringList{"HID004"});
    d.SetFilterStorageCode(QStringLiteral("S01"));
    d.QueryGoods(QStringLiteral("HID"));
    EXPECT_EQ(Codes(d), QStringList{"HID004"});

    // Another operator with other goods types sees other goods.
    plugin::TOperator other = host.Operator;
    other.OperatorId = 2;
    host.SetOperator(other);
    AllowType(QStringLiteral("03"));
    d.QueryGoods(QStringLiteral("HID"));
    EXPECT_EQ(Codes(d), QStringList{"HID003"});
}

TEST_F(GoodsLookupTest, EmptyConditionsGiveAnEmptyResultAndOnlyTheStorageCaseAsksForRights)
{
    testsupport::TestRights rights;
    rights.GoodsTypes = QStringLiteral("('01','02')");
    host.SetRights(&rights);
    {
        Frm d;
        d.QueryGoods(QString());
        EXPECT_EQ(Rows(d), 0);
        EXPECT_TRUE(rights.Calls.isEmpty());
        d.SetFilterStorageCode(QStringLiteral("S01"));
        d.QueryGoods(QString());
        EXPECT_EQ(Rows(d), 0);
        EXPECT_EQ(rights.Calls, QStringList{"GoodsTypeList:1"});
        // The list is used as the host gives it.
        d.QueryGoods(QStringLiteral("ABC"));
        EXPECT_EQ(Codes(d), (QStringList{"ABC001", "ABC002"}));
    }
    host.SetRights(nullptr);
}

TEST_F(GoodsLookupTest, CallersConditionIsSearchedUnchanged)
{
    // Lower case from a caller matches nothing: the edit's upper-casing applies to typing only.
    OnDialog<Frm>([](Frm& d) {
        EXPECT_EQ(Rows(d), 0);
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_FALSE(SelectGoods(QStringLiteral("abc"), goods));

    // Blanks are not trimmed either: " ABC" is not a substring of any code or name.
    OnDialog<Frm>([](Frm& d) {
        EXPECT_EQ(Rows(d), 0);
        d.Frame31->bbtnClose->click();
    });
    EXPECT_FALSE(SelectGoods(QStringLiteral(" ABC"), goods));
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST_F(GoodsLookupTest, EmptyConditionOpensEmptyWithFocusInConditionAndCancelReturnsEmptyRecord)
{
    TBas_GoodsInfo* before = nullptr;
    std::unique_ptr<TBas_GoodsInfo> goods = std::make_unique<TBas_GoodsInfo>();
    goods->GoodsCode = QStringLiteral("OLD");
    before = goods.get();
    bool tick = false;
    OnDialog<Frm>([&](Frm& d) {
        EXPECT_EQ(Rows(d), 0);
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        QTest::qWait(250);
        // No auto-pick on an empty result.
        EXPECT_TRUE(d.isVisible());
        tick = true;
        d.Frame31->bbtnClose->click();
    });
    EXPECT_FALSE(SelectGoods(QString(), goods));
    EXPECT_TRUE(tick);
    ASSERT_NE(goods, nullptr);
    EXPECT_NE(goods.get(), before); // the dialog's own record replaced the caller's
    EXPECT_TRUE(goods->GoodsCode.isEmpty());
    EXPECT_TRUE(goods->ID.isEmpty());
    EXPECT_EQ(goods->LastInPrice, 0.0);
    EXPECT_TRUE(app.Clean());
}

TEST_F(GoodsLookupTest, StorageWithEmptyConditionOpensEmpty)
{
    OnDialog<Frm>([](Frm& d) {
        EXPECT_EQ(d.GetFilterStorageCode(), QStringLiteral("S01"));
        EXPECT_EQ(Rows(d), 0);
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_FALSE(SelectGoodsInStorage(QString(), QStringLiteral("S01"), goods));
    ASSERT_NE(goods, nullptr);
    EXPECT_TRUE(goods->GoodsCode.isEmpty());
}

TEST_F(GoodsLookupTest, SearchNeedsThreeCharactersAfterTrimming)
{
    OnDialog<Frm>([](Frm& d) {
        d.edtCondition->setText(QStringLiteral("  AB  "));
        d.BtnQry->click();
        EXPECT_EQ(Rows(d), 0);
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        d.edtCondition->setText(QStringLiteral("  ABC  "));
        d.BtnQry->click();
        EXPECT_EQ(Codes(d), (QStringList{"ABC001", "ABC002", "QQQ1", "XYZ100"}));
        EXPECT_EQ(d.focusWidget(), d.TableGoodsList->Table());
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_FALSE(SelectGoods(QString(), goods));
    ASSERT_EQ(app.Boxes().size(), 1);
    const auto& box = app.Boxes().first();
    EXPECT_EQ(box.text, QStringLiteral("请输入至少3位以上长度的查询条件!"));
    EXPECT_EQ(box.caption, QStringLiteral("提示"));
    EXPECT_EQ(box.buttons, int(platform::mbOK));
    EXPECT_EQ(box.icon, platform::MessageIcon::None);
}

TEST_F(GoodsLookupTest, NothingFoundTellsFromTheButtonButNotFromTab)
{
    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        d.edtCondition->setFocus();
        d.edtCondition->setText(QStringLiteral("NOSUCH"));
        QTest::keyClick(d.edtCondition, Qt::Key_Tab);
        EXPECT_EQ(Rows(d), 0);
        // Tab is consumed: the focus stays in the condition.
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        d.BtnQry->click();
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        // Tab with a match moves into the grid.
        d.edtCondition->setText(QStringLiteral("BC002"));
        QTest::keyClick(d.edtCondition, Qt::Key_Tab);
        EXPECT_EQ(Codes(d), QStringList{"ABC002"});
        EXPECT_EQ(d.focusWidget(), d.TableGoodsList->Table());
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_FALSE(SelectGoods(QString(), goods));
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("未查询到商品信息!"));
    EXPECT_EQ(app.Boxes()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::Information);
}

TEST_F(GoodsLookupTest, SingleMatchOfTheOpeningSearchIsPickedAfterTheTimer)
{
    QElapsedTimer clock;
    OnDialog<Frm>([&](Frm& d) {
        EXPECT_EQ(Rows(d), 1);
        EXPECT_EQ(d.focusWidget(), d.TableGoodsList->Table());
        EXPECT_TRUE(d.tmr1->isActive());
        clock.start();
        // Nothing else: the timer closes the dialog.
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_TRUE(SelectGoods(QStringLiteral("UNIQUE"), goods));
    EXPECT_GE(clock.elapsed(), 80);
    ASSERT_NE(goods, nullptr);
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("UNIQUE9"));
    EXPECT_EQ(goods->GoodsName, QStringLiteral("独一"));
    ASSERT_EQ(app.Dialogs().size(), 1);
    EXPECT_EQ(app.Dialogs()[0].result, int(QDialog::Accepted));
    EXPECT_FALSE(app.Dialogs()[0].timedOut);
    EXPECT_TRUE(app.Clean());
}

TEST_F(GoodsLookupTest, SingleMatchOfASearchInTheDialogWaitsForTheUser)
{
    OnDialog<Frm>([](Frm& d) {
        d.edtCondition->setText(QStringLiteral("UNIQUE"));
        d.BtnQry->click();
        EXPECT_EQ(Rows(d), 1);
        EXPECT_FALSE(d.tmr1->isActive());
        QTest::qWait(300);
        EXPECT_TRUE(d.isVisible());
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_FALSE(SelectGoods(QString(), goods));
    EXPECT_TRUE(goods->GoodsCode.isEmpty());
}

TEST_F(GoodsLookupTest, OkOnEmptyResultDoesNothingAndEscCancels)
{
    OnDialog<Frm>([](Frm& d) {
        d.Frame31->bbtnEnter->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(d.IsSelected());
        QSignalSpy cancel(d.Frame31->bbtnClose, &QPushButton::clicked);
        Activate(d);
        d.edtCondition->setFocus();
        QTest::keyClick(d.edtCondition, Qt::Key_Escape);
        EXPECT_EQ(cancel.count(), 1);
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_FALSE(SelectGoods(QString(), goods));
    EXPECT_EQ(app.Dialogs()[0].result, int(QDialog::Rejected));
    EXPECT_TRUE(app.Clean());
}

TEST_F(GoodsLookupTest, PickWithStorageCopiesTheRowAndThatStorageStock)
{
    OnDialog<Frm>([](Frm& d) {
        ASSERT_EQ(Rows(d), 2);
        d.TableGoodsList->DataController()->SetFocusedRecordIndex(RowOf(d, QStringLiteral("ABC001")));
        d.Frame31->bbtnEnter->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_TRUE(SelectGoodsInStorage(QStringLiteral("ABC"), QStringLiteral("S01"), goods));
    ASSERT_NE(goods, nullptr);
    const TBas_GoodsInfo& g = *goods;
    EXPECT_EQ(g.ID, QStringLiteral("1"));
    EXPECT_EQ(g.GoodsCode, QStringLiteral("ABC001"));
    EXPECT_EQ(g.GoodsName, QStringLiteral("螺丝钉"));
    EXPECT_EQ(g.GoodsType, QStringLiteral("01"));
    EXPECT_EQ(g.pyCode, QStringLiteral("LSD"));
    EXPECT_EQ(g.BarCode, QStringLiteral("BAR1"));
    EXPECT_EQ(g.Model, QStringLiteral("M-1"));
    EXPECT_EQ(g.CalUnit, QStringLiteral("52101"));
    EXPECT_EQ(g.Brand, QStringLiteral("BR"));
    EXPECT_EQ(g.Color, QStringLiteral("RED"));
    EXPECT_EQ(g.bigness, QStringLiteral("BIG"));
    EXPECT_EQ(g.produceAddress, QStringLiteral("SH"));
    EXPECT_EQ(g.LocationCode, QStringLiteral("L1"));
    EXPECT_EQ(g.Remark, QStringLiteral("R1"));
    EXPECT_EQ(g.GoodsKind, 2);
    EXPECT_EQ(g.ImageID, 7);
    EXPECT_EQ(g.ReBateFlag, 1);
    EXPECT_EQ(g.UseFlag, 1);
    EXPECT_EQ(g.Sort, 9);
    EXPECT_DOUBLE_EQ(g.DefaultInPrice, 1.5);
    EXPECT_DOUBLE_EQ(g.LastInPrice, 12.5);
    EXPECT_DOUBLE_EQ(g.CostPrice, 2.25);
    EXPECT_DOUBLE_EQ(g.SellPrice, 3.5);
    EXPECT_DOUBLE_EQ(g.RebatePrice, 3.25);
    EXPECT_DOUBLE_EQ(g.Valuta, 1.0);
    EXPECT_DOUBLE_EQ(g.MinPrice, 0.5);
    // The storage's stock, decimals kept.
    EXPECT_DOUBLE_EQ(g.LeftCount, 7.5);
    // Not filled by the dialog.
    EXPECT_TRUE(g.GoodsNo.isEmpty());
    EXPECT_TRUE(g.OptorCode.isEmpty());
    EXPECT_FALSE(g.RegDate.isValid());
}

TEST_F(GoodsLookupTest, PickWithoutStorageHandsBackNoStock)
{
    OnDialog<Frm>([](Frm& d) {
        const int row = RowOf(d, QStringLiteral("ABC001"));
        ASSERT_GE(row, 0);
        d.TableGoodsList->DataController()->SetFocusedRecordIndex(row);
        // The grid shows the summed stock ...
        EXPECT_DOUBLE_EQ(d.Data()->FieldByName(QStringLiteral("GdsLeftCount")).AsFloat(), 5.5);
        d.Frame31->bbtnEnter->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("ABC001"));
    // ... but the record carries none.
    EXPECT_EQ(goods->LeftCount, 0.0);
}

TEST_F(GoodsLookupTest, DoubleClickAndEnterOnARowPick)
{
    OnDialog<Frm>([](Frm& d) {
        const int row = RowOf(d, QStringLiteral("ABC002"));
        QTableView* table = d.TableGoodsList->Table();
        const QRect cell = table->visualRect(table->model()->index(row, d.colGoodsName->Index()));
        ASSERT_TRUE(cell.isValid());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("ABC002"));

    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        d.TableGoodsList->DataController()->SetFocusedRecordIndex(RowOf(d, QStringLiteral("XYZ100")));
        d.TableGoodsList->SetFocus();
        QTest::keyClick(d.TableGoodsList->Table(), Qt::Key_Return);
    });
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("XYZ100"));
    EXPECT_TRUE(app.Clean());
}

TEST_F(GoodsLookupTest, ClickingARowThenOkTakesThatRow)
{
    OnDialog<Frm>([](Frm& d) {
        QTableView* table = d.TableGoodsList->Table();
        const int row = RowOf(d, QStringLiteral("QQQ1"));
        for (platform::GridColumn* c : {d.colGoodsName, d.colGdsLeftCount}) {
            const QRect cell = table->visualRect(table->model()->index(row, c->Index()));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
            EXPECT_EQ(d.TableGoodsList->DataController()->FocusedRecordIndex(), row) << c->objectName().toStdString();
        }
        d.Frame31->bbtnEnter->click();
    });
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("QQQ1"));
}

TEST_F(GoodsLookupTest, QuoteInConditionIsSearchedLiterally)
{
    AddGoods({21, QStringLiteral("O'B-1"), QStringLiteral("奥'布")});
    AddStock(221, QStringLiteral("S'Q"), QStringLiteral("O'B-1"), QStringLiteral("3"));
    Frm d;
    EXPECT_NO_THROW(d.QueryGoods(QStringLiteral("O'B")));
    EXPECT_EQ(Codes(d), QStringList{"O'B-1"});
    // A quote cannot end the literal and widen the search.
    EXPECT_NO_THROW(d.QueryGoods(QStringLiteral("X' or 1=1 or 'a'='")));
    EXPECT_EQ(Rows(d), 0);
    d.SetFilterStorageCode(QStringLiteral("S'Q"));
    EXPECT_NO_THROW(d.QueryGoods(QStringLiteral("'B-")));
    EXPECT_EQ(Codes(d), QStringList{"O'B-1"});
}

TEST_F(GoodsLookupTest, RecordOutlivesTheDialogAndAnUntakenOneIsFreed)
{
    std::unique_ptr<TBas_GoodsInfo> goods;
    QPointer<TQryGoodsListFrm> shown;
    OnDialog<Frm>([&](Frm& d) {
        shown = &d;
        d.Frame31->bbtnEnter->click();
    });
    ASSERT_TRUE(SelectGoods(QStringLiteral("UNIQUE"), goods));
    EXPECT_TRUE(shown.isNull());
    ASSERT_NE(goods, nullptr);
    EXPECT_EQ(goods->parent(), nullptr);
    EXPECT_EQ(goods->property("GoodsCode").toString(), QStringLiteral("UNIQUE9"));

    QPointer<const QObject> inner;
    {
        Frm d;
        inner = d.Goods();
        ASSERT_FALSE(inner.isNull());
    }
    EXPECT_TRUE(inner.isNull());
}

TEST_F(GoodsLookupTest, DatabaseErrorOfTheOpeningSearchEndsTheEntryWithoutShowing)
{
    testsupport::TestRights rights;
    rights.GoodsTypes = QStringLiteral("(select nothing from no_such_table)");
    host.SetRights(&rights);
    std::unique_ptr<TBas_GoodsInfo> goods;
    EXPECT_THROW(SelectGoods(QStringLiteral("ABC"), goods), platform::EDatabaseError);
    EXPECT_TRUE(app.Dialogs().isEmpty());
    EXPECT_EQ(goods, nullptr);
    host.SetRights(nullptr);
}

TEST(FrameBottomTest, OkAndCancelBar)
{
    QWidget form;
    auto* f = new TFrame3(&form);
    EXPECT_EQ(f->objectName(), QStringLiteral("Frame31"));
    EXPECT_EQ(f->height(), 49);
    EXPECT_EQ(f->bbtnEnter->text(), QStringLiteral("确定(&O)"));
    EXPECT_EQ(f->bbtnClose->text(), QStringLiteral("取消(&C)"));
    for (QPushButton* b : {f->bbtnEnter, f->bbtnClose}) {
        EXPECT_EQ(b->size(), QSize(75, 25));
        EXPECT_FALSE(b->icon().isNull());
    }
    EXPECT_EQ(f->bbtnEnter->nextInFocusChain(), f->bbtnClose);
    EXPECT_EQ(f->Component(0), f->Bevel1);
    EXPECT_EQ(f->Bevel1->height(), 2);
    // Docked at the bottom, buttons to the right.
    form.resize(400, 200);
    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(f);
    form.show();
    EXPECT_EQ(f->geometry().bottom(), form.rect().bottom());
    EXPECT_GT(f->bbtnEnter->mapTo(&form, QPoint(0, 0)).x(), 200);
    EXPECT_LT(f->bbtnEnter->mapTo(&form, QPoint(0, 0)).x(), f->bbtnClose->mapTo(&form, QPoint(0, 0)).x());
}
