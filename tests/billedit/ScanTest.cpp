// The editor's scan box driven by key events as a keyboard-wedge scanner sends them (the
// code's characters, then Enter) and as a person types them: the right lines and quantities,
// refusals in the status line without a box, the focus kept for the next scan.
#include "tests/billedit/EditorFixture.h"

#include "lookup/FrmQryStorageList.h"
#include "model/SqlText.h"
#include "platform/ButtonEdit.h"
#include "platform/TextEdit.h"
#include "platform/core/Dataset.h"
#include "platform/rframebottom3.h"

#include <QApplication>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTest>

namespace billedittest {
namespace {

using model::QuotedStr;

class ScanTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        for (int i = 1; i <= 5; ++i)
            Goods(i, QStringLiteral("G00%1").arg(i), QStringLiteral("69010000000%1").arg(i));
        // A goods of a type the operator may not handle, one stocked only elsewhere, one no
        // longer in use.
        Goods(6, "G006", "690100000006");
        Exec("update Bas_GoodsInfo set GoodsType = '09' where GoodsCode = 'G006'");
        AddGoods(7, "G007", QStringLiteral("七号"), "1", "0", "S02");
        Exec("update Bas_GoodsInfo set BarCode = '690100000007' where GoodsCode = 'G007'");
        Goods(8, "G008", "690100000008");
        Exec("update Bas_GoodsInfo set UseFlag = 0 where GoodsCode = 'G008'");
    }
    void Goods(int id, const QString& code, const QString& barCode)
    {
        AddGoods(id, code, QStringLiteral("商品") + code, QString::number(id));
        Exec(QStringLiteral("update Bas_GoodsInfo set BarCode = %1 where ID = %2").arg(QuotedStr(barCode)).arg(id));
    }
    void PickSource(TBillEditFrm& f)
    {
        f.edtStorageOut->setText("S01");
        app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) { d.Frame31->bbtnEnter->click(); });
        emit f.edtStorageOut->ButtonClicked(0);
        ASSERT_EQ(f.SourceStorageCode(), "S01");
    }
    // A scan from the focused control: the scanner's keys, then Enter.
    static void Scan(const QString& code, int delayMs = -1)
    {
        QTest::keyClicks(Focused(), code, Qt::NoModifier, delayMs);
        Key(Qt::Key_Return);
    }
    // code -> quantity of the lines the editor holds.
    static QMap<QString, double> Lines(TBillEditFrm& f)
    {
        QMap<QString, double> out;
        platform::Dataset& d = *f.Lines();
        for (int r = 0; r < d.RecordCount(); ++r) {
            const QString code = platform::VariantToText(d.At(r, d.FieldIndex("GoodsCode")));
            if (!code.isEmpty())
                out[code] += d.At(r, d.FieldIndex("GoodsCount")).toDouble();
        }
        return out;
    }
};

TEST_F(ScanTest, TwoHundredScansAtScannerSpeedLeaveExactlyTheRightLines)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickSource(f);
        Key(Qt::Key_F2);
        ASSERT_EQ(Focused(), f.edtScan);
        // A fixed pseudo-random run over the five good codes and the four bad ones.
        const QStringList codes = {"690100000001", "690100000002", "690100000003", "690100000004", "690100000005",
                                   "690100000006", "690100000007", "690100000008", "999999"};
        QMap<QString, double> expected;
        quint32 seed = 12345;
        int refused = 0;
        for (int i = 0; i < 200; ++i) {
            seed = seed * 1103515245u + 12345u;
            const int k = int((seed >> 16) % quint32(codes.size()));
            Scan(codes[k]);
            if (k < 5)
                expected[QStringLiteral("G00%1").arg(k + 1)] += 1;
            else
                ++refused;
            ASSERT_EQ(Focused(), f.edtScan) << i;
        }
        EXPECT_GT(refused, 0);
        EXPECT_EQ(Lines(f), expected);
        EXPECT_TRUE(app.Boxes().isEmpty());
        EXPECT_TRUE(TakeMessages().isEmpty());
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(ScanTest, EachRefusalSaysWhyInTheStatusLineAndAddsNothing)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        f.edtScan->setFocus();
        Scan("690100000001");
        EXPECT_EQ(f.lblScanStatus->text(), QStringLiteral("请先选择调出仓库，再扫描商品"));
        PickSource(f);
        f.edtScan->setFocus();
        const QList<QPair<QString, QString>> refusals = {
            {"999999", QStringLiteral("条形码[999999]没有对应的商品")},
            {"690100000006", QStringLiteral("没有商品[G006]商品G006所属类别的操作权限")},
            {"690100000007", QStringLiteral("调出仓库没有商品[G007]七号的库存")},
            {"690100000008", QStringLiteral("商品[G008]商品G008已停用或已删除")},
        };
        for (const auto& [code, why] : refusals) {
            Scan(code);
            EXPECT_EQ(f.lblScanStatus->text(), why);
        }
        EXPECT_TRUE(Lines(f).isEmpty());
        EXPECT_TRUE(app.Boxes().isEmpty());
        EXPECT_TRUE(TakeMessages().isEmpty());
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(ScanTest, APersonTypingTheCodeSlowlyScansTheSameAndAScanKeepsTheLinesPrice)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickSource(f);
        Key(Qt::Key_F2);
        Scan("690100000002", 30);
        EXPECT_EQ(Lines(f), (QMap<QString, double>{{"G002", 1}}));
        EXPECT_EQ(f.lblScanStatus->text(), QStringLiteral("已扫描：[G002]商品G002，数量1"));
        // The clerk changes the line's price; the next scan of it keeps that price.
        f.Lines()->Edit();
        f.Lines()->FieldByName("GoodsPrice").SetValue(QVariant::fromValue(platform::Currency::FromInt(9)));
        f.Lines()->Post();
        f.edtScan->setFocus();
        Scan("690100000002");
        platform::Dataset& d = *f.Lines();
        ASSERT_TRUE(d.Locate("GoodsCode", "G002", true));
        EXPECT_EQ(d.FieldByName("GoodsCount").AsFloat(), 2);
        EXPECT_EQ(d.FieldByName("GoodsPrice").AsCurrency(), platform::Currency::FromInt(9));
        EXPECT_EQ(d.FieldByName("PaySum").AsCurrency(), platform::Currency::FromInt(18));
        // A full line takes no more.
        d.Edit();
        d.FieldByName("GoodsCount").SetValue(10000.0);
        d.Post();
        EXPECT_FALSE(f.ScanCode("690100000002"));
        EXPECT_EQ(f.lblScanStatus->text(), QStringLiteral("对不起，数量范围在1..10000之内"));
        f.Frame31->bbtnClose->click();
    });
}

} // namespace
} // namespace billedittest
