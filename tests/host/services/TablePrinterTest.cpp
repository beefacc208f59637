// What a printed grid holds and how it is cut into pages.
#include "host/services/TablePrinter.h"
#include "platform/DataSource.h"
#include "platform/core/Dataset.h"
#include "platform/Grid.h"

#include <QBuffer>
#include <QHeaderView>
#include <QPainter>
#include <QPdfWriter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QStandardItemModel* MakeModel(int rows, QObject* parent)
{
    auto* m = new QStandardItemModel(rows, 4, parent);
    m->setHorizontalHeaderLabels({QStringLiteral("订单号"), QStringLiteral("调出仓库"), QStringLiteral("隐藏"),
                                  QStringLiteral("调拨数量")});
    for (int r = 0; r < rows; ++r) {
        m->setItem(r, 0, new QStandardItem(QStringLiteral("DB-%1").arg(r)));
        m->setItem(r, 1, new QStandardItem(QStringLiteral("总仓库")));
        m->setItem(r, 2, new QStandardItem(QStringLiteral("secret")));
        m->setItem(r, 3, new QStandardItem(QString::number(r * 1.5)));
    }
    return m;
}

TEST(TablePrinter, CollectsVisibleColumnsInScreenOrderAndEveryRow)
{
    QWidget grid;
    grid.setWindowTitle(QStringLiteral("调拨单"));
    auto* view = new QTableView(&grid);
    new QVBoxLayout(&grid);
    grid.layout()->addWidget(view);
    view->setModel(MakeModel(500, view));
    view->setColumnHidden(2, true);
    view->horizontalHeader()->moveSection(3, 0); // 调拨数量 first on screen

    ASSERT_EQ(host::FindItemView(&grid), view);
    const host::PrintTable t = host::CollectTable(view);
    EXPECT_EQ(t.title, QStringLiteral("调拨单"));
    EXPECT_EQ(t.headers, (QStringList{QStringLiteral("调拨数量"), QStringLiteral("订单号"), QStringLiteral("调出仓库")}));
    ASSERT_EQ(t.rows.size(), 500); // far more than the screen shows
    EXPECT_EQ(t.rows[3], (QStringList{QStringLiteral("4.5"), QStringLiteral("DB-3"), QStringLiteral("总仓库")}));
    for (const QStringList& row : t.rows)
        EXPECT_FALSE(row.contains(QStringLiteral("secret")));
    EXPECT_EQ(t.weights.size(), 3);
}

TEST(TablePrinter, APlatformGridPrintsItsDisplayTexts)
{
    platform::Dataset ds({{QStringLiteral("Src_StorageCode"), platform::FieldType::Text},
                          {QStringLiteral("GoodsCount"), platform::FieldType::Float},
                          {QStringLiteral("Remark"), platform::FieldType::Text}});
    for (auto [code, count] : {std::pair{"01", 12.5}, {"02", 3.0}}) {
        ds.Append();
        ds.FieldByName(QStringLiteral("Src_StorageCode")).SetValue(QString::fromLatin1(code));
        ds.FieldByName(QStringLiteral("GoodsCount")).SetValue(count);
        ds.Post();
    }
    platform::DataSource source;
    source.SetDataSet(&ds);
    platform::Grid grid;
    grid.setWindowTitle(QStringLiteral("调拨单"));
    platform::TableView* view = grid.CreateTableView();
    auto* storage = view->CreateColumn(QStringLiteral("colSrc_StorageCode"));
    storage->SetCaption(QStringLiteral("调出仓库"));
    storage->SetFieldName(QStringLiteral("Src_StorageCode"));
    storage->Properties().SetKind(platform::EditorKind::ImageCombo);
    storage->Properties().AddItem(QStringLiteral("01"), QStringLiteral("北京总仓"));
    storage->Properties().AddItem(QStringLiteral("02"), QStringLiteral("上海分仓"));
    auto* count = view->CreateColumn(QStringLiteral("colCount"));
    count->SetCaption(QStringLiteral("调拨数量"));
    count->SetFieldName(QStringLiteral("GoodsCount"));
    count->Properties().SetKind(platform::EditorKind::Currency);
    count->Properties().SetDisplayFormat(QStringLiteral("0.00"));
    auto* remark = view->CreateColumn(QStringLiteral("colRemark"));
    remark->SetFieldName(QStringLiteral("Remark"));
    remark->SetVisible(false);
    view->DataController()->SetDataSource(&source);

    const host::PrintTable t = host::CollectTable(host::FindItemView(&grid));
    EXPECT_EQ(t.headers, (QStringList{QStringLiteral("调出仓库"), QStringLiteral("调拨数量")}));
    ASSERT_EQ(t.rows.size(), 2);
    EXPECT_EQ(t.rows[0], (QStringList{QStringLiteral("北京总仓"), QStringLiteral("12.50")}));
    EXPECT_EQ(t.rows[1], (QStringList{QStringLiteral("上海分仓"), QStringLiteral("3.00")}));
    EXPECT_EQ(t.alignments.value(1), Qt::AlignRight) << "amounts print right-aligned as shown";
}

TEST(TablePrinter, TreeRowsComeDepthFirstAndIndented)
{
    QTreeView tree;
    auto* m = new QStandardItemModel(&tree);
    m->setHorizontalHeaderLabels({QStringLiteral("仓库"), QStringLiteral("编号")});
    auto* root = new QStandardItem(QStringLiteral("总仓"));
    root->appendRow({new QStandardItem(QStringLiteral("一号库")), new QStandardItem(QStringLiteral("01"))});
    root->appendRow({new QStandardItem(QStringLiteral("二号库")), new QStandardItem(QStringLiteral("02"))});
    m->appendRow({root, new QStandardItem(QStringLiteral("00"))});
    m->appendRow({new QStandardItem(QStringLiteral("门店")), new QStandardItem(QStringLiteral("10"))});
    tree.setModel(m);

    const host::PrintTable t = host::CollectTable(&tree);
    ASSERT_EQ(t.rows.size(), 4);
    EXPECT_EQ(t.rows[0][0], QStringLiteral("总仓"));
    EXPECT_EQ(t.rows[1][0].trimmed(), QStringLiteral("一号库"));
    EXPECT_TRUE(t.rows[1][0].startsWith(u' '));
    EXPECT_EQ(t.rows[2][1], QStringLiteral("02"));
    EXPECT_EQ(t.rows[3][0], QStringLiteral("门店"));
}

host::PrintTable Rows(int n)
{
    host::PrintTable t;
    t.title = QStringLiteral("调拨单");
    t.headers = {QStringLiteral("商品编号"), QStringLiteral("商品名称")};
    t.weights = {100, 200};
    t.alignments = {Qt::AlignLeft, Qt::AlignLeft};
    for (int i = 0; i < n; ++i)
        t.rows << QStringList{QString::number(i), QStringLiteral("商品%1").arg(i)};
    return t;
}

TEST(TablePrinter, PagesHoldEveryRowOnceAndStopWhenThePrinterRefusesAPage)
{
    const QRectF page(0, 0, 800, 1100);
    QImage image(page.size().toSize(), QImage::Format_RGB32);
    for (int n : {0, 1, 37, 300}) {
        image.fill(Qt::white);
        QPainter painter(&image);
        host::TablePrinter printer(Rows(n));
        const auto layout = printer.ComputeLayout(painter, page);
        ASSERT_GE(layout.otherPageRows, layout.firstPageRows); // the title takes room on page one
        const int capacity = layout.firstPageRows + (layout.pageCount - 1) * layout.otherPageRows;
        EXPECT_GE(capacity, n) << n;
        if (layout.pageCount > 1) {
            EXPECT_LT(capacity - layout.otherPageRows, n) << "a page too many for " << n;
        }
        int asked = 0;
        EXPECT_EQ(printer.Render(painter, page, [&] { return ++asked < 2; }), std::min(layout.pageCount, 2)) << n;
    }

    // On a real paged device every page is written.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&out);
    host::TablePrinter printer(Rows(300));
    EXPECT_GE(printer.Render(pdf), 3);
    EXPECT_TRUE(out.data().startsWith("%PDF"));
}

} // namespace
