// The goods lookup on the test host's database: the four searches, the minimum length, the
// auto-pick, OK and Cancel, the record handed back.
#include "lookup/FrmQryGoodsList.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/rframebottom3.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "tests/lookup/LookupFixture.h"

#include <QPointer>
#include <QPushButton>
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
    for (int r = 0; r < Rows(d); ++r)
        out << d.Data()->At(r, d.Data()->FieldIndex(QStringLiteral("GoodsCode"))).toString();
    out.sort();
    return out;
}

int RowOf(const Frm& d, const QString& code)
{
    for (int r = 0; r < Rows(d); ++r)
        if (d.Data()->At(r, d.Data()->FieldIndex(QStringLiteral("GoodsCode"))).toString() == code)
            return r;
    return -1;
}

double StockOf(const Frm& d, const QString& code)
{
    return d.Data()->At(RowOf(d, code), d.Data()->FieldIndex(QStringLiteral("GdsLeftCount"))).toDouble();
}

class GoodsLookupTest : public LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        AllowType(QStringLiteral("02"));
        AddGoods({1, "ABC001", "螺丝钉", "01", "LSD", 1, 0, "12.5"});
        AddGoods({2, "ABC002", "螺母", "02", "LM", 1, 0, "3", "52102"});
        AddGoods({3, "XYZ100", "垫片ABC", "01", "DP"});
        AddGoods({4, "QQQ1", "扳手", "01", "BSABC"});
        AddGoods({5, "UNIQUE9", "独一", "01", "DY"});
        AddGoods({6, "ABC-OFF", "停用", "01", {}, 0, 0});
        AddGoods({7, "ABC-DEL", "删除", "01", {}, 1, 1});
        AddGoods({8, "ABC-T3", "无权", "03"});
        AddStock(101, "S01", "ABC001", "7.5");
        AddStock(102, "S02", "ABC001", "-2");
        AddStock(103, "S01", "ABC002", "4");
        AddStock(104, "S01", "ABC-OFF", "1");
        AddStock(105, "S01", "ABC-DEL", "1");
        AddStock(106, "S01", "ABC-T3", "1");
    }
    std::unique_ptr<TBas_GoodsInfo> goods;
};

} // namespace

TEST_F(GoodsLookupTest, SearchesMatchCodeNameOrInitialsOfVisibleGoodsOnly)
{
    Frm d;
    d.QueryGoods(QStringLiteral("ABC"));
    // Code, name (垫片ABC) and initials (BSABC); out of use, deleted and type 03 never show.
    EXPECT_EQ(Codes(d), (QStringList{"ABC001", "ABC002", "QQQ1", "XYZ100"}));
    EXPECT_DOUBLE_EQ(StockOf(d, "ABC001"), 5.5); // summed over the storages
    EXPECT_DOUBLE_EQ(StockOf(d, "XYZ100"), 0.0);
    platform::DataController* dc = d.TableGoodsList->DataController();
    EXPECT_EQ(dc->DisplayText(RowOf(d, "ABC002"), d.colCalUnit->Index()), QStringLiteral("箱"));
    EXPECT_EQ(dc->FooterSummaryText(0), QStringLiteral("4 条记录"));

    d.SetFilterStorageCode(QStringLiteral("S01"));
    d.QueryGoods(QStringLiteral("ABC"));
    EXPECT_EQ(Codes(d), (QStringList{"ABC001", "ABC002"}));
    EXPECT_DOUBLE_EQ(StockOf(d, "ABC001"), 7.5); // that storage's stock only

    // Another operator's goods types decide what is seen.
    plugin::TOperator other = host.Operator;
    other.OperatorId = 2;
    host.SetOperator(other);
    AllowType(QStringLiteral("03"));
    d.QueryGoods(QStringLiteral("ABC"));
    EXPECT_EQ(Codes(d), QStringList{"ABC-T3"});
}

TEST_F(GoodsLookupTest, OpeningEmptyFocusesTheConditionOkDoesNothingCancelReturnsEmptyRecord)
{
    for (bool withStorage : {false, true}) {
        goods = std::make_unique<TBas_GoodsInfo>();
        goods->GoodsCode = QStringLiteral("OLD");
        OnDialog<Frm>([](Frm& d) {
            EXPECT_EQ(Rows(d), 0);
            EXPECT_EQ(d.focusWidget(), d.edtCondition);
            d.Frame31->bbtnEnter->click();
            QTest::qWait(3 * d.tmr1->interval()); // well past the auto-pick timer: no auto-pick either
            EXPECT_TRUE(d.isVisible());
            Activate(d);
            QTest::keyClick(d.edtCondition, Qt::Key_Escape);
        });
        const bool picked = withStorage ? SelectGoodsInStorage(QString(), QStringLiteral("S01"), goods)
                                        : SelectGoods(QString(), goods);
        EXPECT_FALSE(picked);
        ASSERT_NE(goods, nullptr);
        EXPECT_TRUE(goods->GoodsCode.isEmpty()); // the dialog's own record replaced the caller's
    }
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST_F(GoodsLookupTest, SearchInTheDialogNeedsThreeCharactersAndTellsOnlyTheButtonOfNothingFound)
{
    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        d.edtCondition->setText(QStringLiteral("  AB  "));
        d.BtnQry->click();
        EXPECT_EQ(Rows(d), 0);
        d.edtCondition->setText(QStringLiteral("  ABC  "));
        d.BtnQry->click();
        EXPECT_EQ(Rows(d), 4);
        EXPECT_EQ(d.focusWidget(), d.TableGoodsList->Table());
        d.edtCondition->setFocus();
        d.edtCondition->setText(QStringLiteral("NOSUCH"));
        QTest::keyClick(d.edtCondition, Qt::Key_Tab); // consumed: the focus stays
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        d.BtnQry->click();
        d.edtCondition->setText(QStringLiteral("BC002"));
        QTest::keyClick(d.edtCondition, Qt::Key_Tab);
        EXPECT_EQ(Codes(d), QStringList{"ABC002"});
        EXPECT_EQ(d.focusWidget(), d.TableGoodsList->Table());
        // A single match of a search in the dialog waits for the user.
        EXPECT_FALSE(d.tmr1->isActive());
        QTest::qWait(3 * d.tmr1->interval()); // well past the auto-pick timer, which must not start
        EXPECT_TRUE(d.isVisible());
        d.Frame31->bbtnClose->click();
    });
    EXPECT_FALSE(SelectGoods(QString(), goods));
    ASSERT_EQ(app.Boxes().size(), 2);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("请输入至少3位以上长度的查询条件!"));
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::None);
    EXPECT_EQ(app.Boxes()[1].text, QStringLiteral("未查询到商品信息!"));
    EXPECT_EQ(app.Boxes()[1].icon, platform::MessageIcon::Information);
    for (const auto& box : app.Boxes())
        EXPECT_EQ(box.caption, QStringLiteral("提示"));
}

TEST_F(GoodsLookupTest, SingleMatchOfTheOpeningSearchIsPickedByTheTimer)
{
    OnDialog<Frm>([](Frm& d) {
        EXPECT_EQ(d.focusWidget(), d.TableGoodsList->Table());
        EXPECT_TRUE(d.tmr1->isActive()); // and nothing else closes the dialog
    });
    EXPECT_TRUE(SelectGoods(QStringLiteral("UNIQUE"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("UNIQUE9"));
    EXPECT_EQ(app.Dialogs()[0].result, int(QDialog::Accepted));
    EXPECT_TRUE(app.Clean());
}

TEST_F(GoodsLookupTest, PickCopiesTheRowAndOnlyAStorageSearchHandsBackStock)
{
    QPointer<Frm> shown;
    OnDialog<Frm>([&](Frm& d) {
        shown = &d;
        d.TableGoodsList->DataController()->SetFocusedRecordIndex(RowOf(d, "ABC001"));
        d.Frame31->bbtnEnter->click();
    });
    ASSERT_TRUE(SelectGoodsInStorage(QStringLiteral("ABC"), QStringLiteral("S01"), goods));
    EXPECT_TRUE(shown.isNull()); // the record outlives the dialog
    const TBas_GoodsInfo& g = *goods;
    EXPECT_EQ(g.parent(), nullptr);
    EXPECT_EQ(QStringList({g.ID, g.GoodsCode, g.GoodsName, g.GoodsType, g.pyCode, g.BarCode, g.Model, g.CalUnit,
                           g.Brand, g.Color, g.bigness, g.produceAddress, g.LocationCode, g.Remark}),
              QStringList({"1", "ABC001", "螺丝钉", "01", "LSD", "BAR1", "M-1", "52101", "BR", "RED", "BIG", "SH", "L1", "R1"}));
    EXPECT_EQ(QList<int>({g.GoodsKind, g.ImageID, g.ReBateFlag, g.UseFlag, g.Sort}), QList<int>({2, 7, 1, 1, 9}));
    EXPECT_EQ(QList<double>({g.DefaultInPrice, g.LastInPrice, g.CostPrice, g.SellPrice, g.RebatePrice, g.Valuta, g.MinPrice}),
              QList<double>({1.5, 12.5, 2.25, 3.5, 3.25, 1, 0.5}));
    EXPECT_DOUBLE_EQ(g.LeftCount, 7.5); // decimals kept
    EXPECT_TRUE(g.GoodsNo.isEmpty());

    OnDialog<Frm>([](Frm& d) {
        d.TableGoodsList->DataController()->SetFocusedRecordIndex(RowOf(d, "ABC001"));
        d.Frame31->bbtnEnter->click();
    });
    ASSERT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("ABC001"));
    EXPECT_EQ(goods->LeftCount, 0.0); // although the grid showed 5.5
}

TEST_F(GoodsLookupTest, PickLeavesColumnsOutsideTheGoodsItHandsBack)
{
    // A host whose goods table has more columns than the lookup hands back.
    Exec(QStringLiteral("alter table Bas_GoodsInfo add GoodsNo varchar(20)"));
    Exec(QStringLiteral("alter table Bas_GoodsInfo add LeftCount numeric(18,4)"));
    Exec(QStringLiteral("update Bas_GoodsInfo set GoodsNo = 'N5', LeftCount = 99 where ID = 5"));
    OnDialog<Frm>([](Frm& d) { d.Frame31->bbtnEnter->click(); });
    ASSERT_TRUE(SelectGoods(QStringLiteral("UNIQUE"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("UNIQUE9"));
    EXPECT_TRUE(goods->GoodsNo.isEmpty());
    EXPECT_EQ(goods->LeftCount, 0.0);
}

TEST_F(GoodsLookupTest, ClickThenOkDoubleClickAndEnterTakeTheRowOfTheUser)
{
    auto cellCentre = [](Frm& d, const char* code, platform::GridColumn* c) {
        QTableView* t = d.TableGoodsList->Table();
        return t->visualRect(t->model()->index(RowOf(d, code), c->Index())).center();
    };
    OnDialog<Frm>([&](Frm& d) {
        QTest::mouseClick(d.TableGoodsList->Table()->viewport(), Qt::LeftButton, {}, cellCentre(d, "QQQ1", d.colGoodsName));
        d.Frame31->bbtnEnter->click();
    });
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("QQQ1"));
    OnDialog<Frm>([&](Frm& d) {
        QTest::mouseDClick(d.TableGoodsList->Table()->viewport(), Qt::LeftButton, {}, cellCentre(d, "ABC002", d.colCalUnit));
    });
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("ABC002"));
    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        d.TableGoodsList->DataController()->SetFocusedRecordIndex(RowOf(d, "XYZ100"));
        QTest::keyClick(d.TableGoodsList->Table(), Qt::Key_Return);
    });
    EXPECT_TRUE(SelectGoods(QStringLiteral("ABC"), goods));
    EXPECT_EQ(goods->GoodsCode, QStringLiteral("XYZ100"));
    EXPECT_TRUE(app.Clean());
}

TEST_F(GoodsLookupTest, QuoteInConditionOrStorageIsSearchedLiterally)
{
    AddGoods({21, "O'B-1", "奥'布"});
    AddStock(221, "S'Q", "O'B-1", "3");
    Frm d;
    d.QueryGoods(QStringLiteral("O'B"));
    EXPECT_EQ(Codes(d), QStringList{"O'B-1"});
    d.QueryGoods(QStringLiteral("X' or 1=1 or 'a'='")); // cannot end the literal and widen the search
    EXPECT_EQ(Rows(d), 0);
    d.SetFilterStorageCode(QStringLiteral("S'Q"));
    d.QueryGoods(QStringLiteral("'B-"));
    EXPECT_EQ(Codes(d), QStringList{"O'B-1"});
}

TEST_F(GoodsLookupTest, FailedOpeningSearchEndsTheEntryWithoutShowingAndFreesTheRecord)
{
    testsupport::TestRights rights;
    rights.GoodsTypes = QStringLiteral("(select nothing from no_such_table)");
    host.SetRights(&rights);
    EXPECT_THROW(SelectGoods(QStringLiteral("ABC"), goods), platform::EDatabaseError);
    EXPECT_TRUE(app.Dialogs().isEmpty());
    host.SetRights(nullptr);

    QPointer<const QObject> untaken;
    {
        Frm d;
        untaken = d.Goods();
    }
    EXPECT_TRUE(untaken.isNull());
}
