// The transfer bill's rules without any widget: the same goods merged into one line, the
// quantity and price ranges, amounts and totals exact to the cent, the lines a save writes, and
// the order in which a bill's header is refused.
#include "model/TransferBill.h"

#include <gtest/gtest.h>

namespace {

using model::HeadField;
using model::TransferBill;
using platform::Currency;
using platform::FieldType;

Currency Money(const char* text) { return *Currency::Parse(QLatin1String(text)); }

class TransferBillTest : public ::testing::Test {
protected:
    platform::Dataset lines{{{"ID", FieldType::Integer},
                             {"GoodsCode", FieldType::Text},
                             {"GoodsName", FieldType::Text},
                             {"Model", FieldType::Text},
                             {"CalUnit", FieldType::Text},
                             {"Brand", FieldType::Text},
                             {"GoodsPrice", FieldType::Currency},
                             {"GoodsCount", FieldType::Float},
                             {"PaySum", FieldType::Currency}}};
    TransferBill bill{lines};
    const model::LineGoods pencil{"G01", "铅笔", "HB", "52101"};
    const model::LineGoods eraser{"G02", "橡皮", "", "52101"};
};

TEST_F(TransferBillTest, TheSameGoodsIsOneLineWhoseQuantitiesAddUpAtTheLastPrice)
{
    ASSERT_FALSE(bill.AddGoods(pencil, 2, Money("2.5")));
    ASSERT_FALSE(bill.AddGoods(eraser, 1.5, Money("0.3")));
    ASSERT_FALSE(bill.AddGoods(pencil, 3.004, Money("3.1")));
    const QVector<model::TransferLine> saved = bill.Lines();
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved[0].goodsCode, "G01");
    EXPECT_EQ(saved[0].goodsName, QStringLiteral("铅笔"));
    EXPECT_EQ(saved[0].model, "HB");
    EXPECT_DOUBLE_EQ(saved[0].goodsCount, 5);
    EXPECT_EQ(saved[0].goodsPrice, Money("3.1"));
    EXPECT_EQ(saved[0].paySum, Money("15.5"));
    EXPECT_EQ(saved[1].paySum, Money("0.45"));
    EXPECT_DOUBLE_EQ(bill.TotalQuantity(), 6.5);
    EXPECT_EQ(bill.TotalAmount(), Money("15.95"));
    EXPECT_EQ(lines.FieldByName("GoodsCode").AsString(), "G01") << "the line added to is the current one";
}

TEST_F(TransferBillTest, AQuantityOutOfRangeChangesNothingAlsoWhenOnlyTheSumLeavesIt)
{
    EXPECT_EQ(bill.AddGoods(pencil, 0.004, Money("1")), model::QuantityRangeText()) << "0.004 is kept as 0.00";
    EXPECT_EQ(bill.AddGoods(pencil, 10000.01, Money("1")), model::QuantityRangeText());
    EXPECT_TRUE(bill.Lines().isEmpty());
    ASSERT_FALSE(bill.AddGoods(pencil, 9999.996, Money("1"))) << "kept as 10000.00";
    EXPECT_EQ(bill.AddGoods(pencil, 1, Money("9")), model::QuantityRangeText());
    ASSERT_EQ(bill.Lines().size(), 1);
    EXPECT_DOUBLE_EQ(bill.Lines()[0].goodsCount, 10000);
    EXPECT_EQ(bill.Lines()[0].goodsPrice, Money("1")) << "a refused addition leaves the price as well";

    EXPECT_FALSE(model::PriceRefusal(0));
    EXPECT_FALSE(model::PriceRefusal(model::MaxPrice));
    EXPECT_EQ(model::PriceRefusal(-0.01), model::PriceNegativeText());
    EXPECT_EQ(model::PriceRefusal(model::MaxPrice + 0.01), model::PriceInvalidText());
}

TEST_F(TransferBillTest, APickedGoodsAlreadyOnTheBillBecomesTheCurrentLineAndEditsKeepTheAmountExact)
{
    ASSERT_TRUE(bill.PickGoods(pencil, Money("2.5")));
    ASSERT_TRUE(bill.PickGoods(eraser, Money("0.3")));
    EXPECT_FALSE(bill.PickGoods(pencil, Money("9"))) << "no second line of the same goods";
    EXPECT_EQ(lines.FieldByName("GoodsCode").AsString(), "G01");
    bill.SetQuantity(3.333);
    bill.SetPrice(Money("0.1"));
    const model::TransferLine first = bill.Lines()[0];
    EXPECT_DOUBLE_EQ(first.goodsCount, 3.33);
    EXPECT_EQ(first.paySum, Money("0.333")) << "0.1 × 3.33 to the currency's four decimals";
    EXPECT_EQ(bill.Lines()[1].goodsCount, 1);
}

TEST_F(TransferBillTest, ALineWithoutGoodsIsNoLineOfTheBill)
{
    EXPECT_FALSE(bill.HasGoodsLine());
    lines.Append(); // the empty line the grid offers
    EXPECT_FALSE(bill.HasGoodsLine());
    EXPECT_FALSE(bill.CurrentHasGoods());
    lines.FieldByName("GoodsCode").SetValue(QStringLiteral("G01"));
    EXPECT_TRUE(bill.HasGoodsLine()) << "the line being entered counts";
    lines.Post();
    lines.Append();
    lines.Post();
    EXPECT_EQ(lines.RecordCount(), 2);
    EXPECT_EQ(bill.Lines().size(), 1);
}

TEST(TransferHead, RefusalsComeInTheOrderTheClerkFillsTheBillIn)
{
    const QDate today(2026, 12, 9);
    model::TransferHead good;
    good.newBill = true;
    good.billDate = today;
    good.srcText = good.srcPickedName = QStringLiteral("一号仓");
    good.srcCode = "S01";
    good.desText = QStringLiteral(" 二号仓 ");
    good.desPickedName = QStringLiteral("二号仓");
    good.desCode = "S02";
    EXPECT_FALSE(model::CheckTransferHead(good, today, true));

    struct Case {
        const char* why;
        std::function<void(model::TransferHead&)> change;
        bool hasGoods;
        HeadField field;
        QString text;
    };
    const Case cases[] = {
        {"an old bill without number", [](auto& h) { h.newBill = false; }, true, HeadField::BillNo,
         QStringLiteral("调拨单号不能为空!")},
        {"yesterday", [&](auto& h) { h.billDate = today.addDays(-1); }, true, HeadField::BillDate,
         QStringLiteral("日期不能小于当日!")},
        {"no source", [](auto& h) { h.srcText.clear(); }, true, HeadField::SourceStorage,
         QStringLiteral("调出仓不能为空，请选择!")},
        {"a name typed over the pick", [](auto& h) { h.srcText = QStringLiteral("三号仓"); }, true,
         HeadField::SourceStorage, QStringLiteral("请从仓库列表中选择调出仓库!")},
        {"no destination", [](auto& h) { h.desText.clear(); }, true, HeadField::DestinationStorage,
         QStringLiteral("调入仓库不能为空!")},
        {"destination never picked", [](auto& h) { h.desCode.clear(); }, true, HeadField::DestinationStorage,
         QStringLiteral("请从仓库列表中选择调入仓库!")},
        {"the same storage", [](auto& h) { h.desCode = h.srcCode; }, true, HeadField::DestinationStorage,
         QStringLiteral("调入仓库不能和调出仓相同!")},
        {"no goods", [](auto&) {}, false, HeadField::Goods, QStringLiteral("请选择需要调拨的商品信息!")},
        {"the first problem wins", [](auto& h) { h.srcText.clear(); }, false, HeadField::SourceStorage,
         QStringLiteral("调出仓不能为空，请选择!")},
    };
    for (const Case& c : cases) {
        model::TransferHead h = good;
        c.change(h);
        const auto refusal = model::CheckTransferHead(h, today, c.hasGoods);
        ASSERT_TRUE(refusal) << c.why;
        EXPECT_EQ(refusal->field, c.field) << c.why;
        EXPECT_EQ(refusal->text, c.text) << c.why;
        EXPECT_EQ(refusal->dateToToday, c.field == HeadField::BillDate) << c.why;
    }
}

} // namespace

namespace {

TEST(ApprovalChecks, TheLinesShownMustBeTheBillsAndTheFirstLineTheStorageCannotCoverIsNamed)
{
    platform::Dataset shown{{{"BillNo", FieldType::Text},
                             {"GoodsCode", FieldType::Text},
                             {"GoodsName", FieldType::Text},
                             {"GoodsCount", FieldType::Float}}};
    EXPECT_FALSE(model::LinesAreOf(shown, "DB-1")) << "no lines shown";
    shown.AppendRow(QVector<QVariant>{"DB-1", "G01", QStringLiteral("铅笔"), 2.5});
    shown.AppendRow(QVector<QVariant>{"DB-1", "G02", QStringLiteral("橡皮"), 7.0});
    EXPECT_TRUE(model::LinesAreOf(shown, "DB-1"));
    EXPECT_FALSE(model::LinesAreOf(shown, "DB-2"));

    QStringList asked;
    auto stock = [&](double g01, double g02) {
        return [&asked, g01, g02](const QString& code, const QString& count) {
            asked << code + u':' + count;
            return (code == "G01" ? g01 : g02) - count.toDouble();
        };
    };
    EXPECT_FALSE(model::StockShortage(shown, "S01", stock(2.5, 7)));
    EXPECT_EQ(asked, QStringList({"G01:2.5", "G02:7"}));
    asked.clear();
    EXPECT_EQ(model::StockShortage(shown, "S01", stock(1, 1)), QStringLiteral("仓库：S01的 商品：(G01)铅笔 的库存不足 ，请调整！"));
    EXPECT_EQ(asked, QStringList({"G01:2.5"})) << "the first shortage ends the check";
}

} // namespace
