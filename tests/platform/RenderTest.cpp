// What a user sees: a bill grid with Chinese captions, a footer and the highlight style,
// rendered offscreen and checked by its pixels. JXC_RENDER_OUT=<dir> keeps the picture.
#include "TestPrint.h"

#include "platform/Component.h"
#include "platform/DataSource.h"
#include "platform/Grid.h"
#include "platform/GridFooter.h"
#include "platform/StyleRepository.h"
#include "platform/TreeList.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace platform;

namespace {

void Keep(const QImage& image, const QString& name)
{
    const QString dir = qEnvironmentVariable("JXC_RENDER_OUT");
    if (!dir.isEmpty())
        image.save(QDir(dir).filePath(name));
}

// Share of the pixels in a rectangle that stand out clearly from the background (readable
// text was drawn, not pale text on a pale ground).
double InkShare(const QImage& image, const QRect& r, const QColor& background)
{
    auto lum = [](const QColor& c) { return 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue(); };
    const double back = lum(background);
    int ink = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x, ++all)
            if (std::abs(lum(image.pixelColor(x, y)) - back) > 60)
                ++ink;
    return all ? double(ink) / all : 0;
}

} // namespace

TEST(Render, BillGridWithChineseCaptionsFooterAndHighlight)
{
    Form form;
    form.resize(700, 260);
    auto* layout = new QVBoxLayout(&form);
    auto* grid = form.Own(new Grid(&form), QStringLiteral("cxGrid1"));
    layout->addWidget(grid);
    StyleRepository repo;
    TableView* view = grid->CreateTableView(QStringLiteral("TableBillInfo"));
    view->SetStyleSheet(repo.StyleSheet(0));
    view->SetCellSelect(false);
    view->SetColumnAutoWidth(true);
    view->SetFooterVisible(true);
    struct Col {
        const char* caption;
        const char* field;
    };
    const Col cols[] = {{"订单号", "BillNo"}, {"调拨数量", "GoodsCount"}, {"订单金额", "BillSum"}, {"订单状态", "BillStatus"}};
    for (const Col& c : cols) {
        GridColumn* col = view->CreateColumn();
        col->SetCaption(QString::fromUtf8(c.caption));
        col->SetFieldName(QString::fromLatin1(c.field));
        col->SetHeaderAlignment(Qt::AlignCenter);
        col->SetMinWidth(100);
    }
    GridColumn* status = view->Column(3);
    status->Properties().SetKind(EditorKind::ImageCombo);
    const char* texts[] = {"编辑状态 ", "待审批", "审批通过", "审批未通过", "订单完成"};
    for (int i = 0; i < 5; ++i)
        status->Properties().AddItem(i, QString::fromUtf8(texts[i]));
    view->Column(1)->Properties().SetKind(EditorKind::Currency);
    view->Column(1)->Properties().SetDisplayFormat(QStringLiteral("0.00"));
    GridStyle green, red;
    auto highlight = [&](TableView* v, int record, GridStyle*& style) {
        const int s = v->DataController()->Value(record, 3).toInt();
        GridStyle* pick = s == 4 ? &green : s == 2 ? &red : nullptr;
        if (!pick)
            return;
        *pick = GridStyle();
        if (const GridStyle* base = v->Style(record % 2 ? GridStyleSheet::ContentOdd : GridStyleSheet::ContentEven))
            pick->AssignFont(*base);
        pick->SetBold(true);
        pick->SetColor(s == 4 ? QColor(0, 166, 83) : QColor(247, 204, 204));
        style = pick;
    };
    view->Column(0)->OnGetContentStyle = highlight;
    view->Column(3)->OnGetContentStyle = highlight;
    DataController* dc = view->DataController();
    dc->AddFooterSummary(FooterSummary::Kind::Count, view->Column(0), QStringLiteral("0 条记录"));
    dc->AddFooterSummary(FooterSummary::Kind::Sum, view->Column(1), QStringLiteral("0.00"));
    dc->AddFooterSummary(FooterSummary::Kind::Sum, view->Column(2), QStringLiteral("￥,0.00"));

    Dataset data({{"BillNo", FieldType::Text}, {"GoodsCount", FieldType::Float}, {"BillSum", FieldType::Currency},
                  {"BillStatus", FieldType::Integer}});
    const int statuses[] = {0, 2, 4, 1};
    for (int i = 0; i < 4; ++i) {
        data.Append();
        data.FieldByName("BillNo").SetValue(QStringLiteral("DB-2024050%1").arg(i + 1));
        data.FieldByName("GoodsCount").SetValue(12.5 * (i + 1));
        data.FieldByName("BillSum").SetValue(1234.5 * (i + 1));
        data.FieldByName("BillStatus").SetValue(statuses[i]);
        data.Post();
    }
    data.First();
    DataSource source;
    source.SetDataSet(&data);
    dc->SetDataSource(&source);
    grid->ActiveLevel()->SetCaption(QStringLiteral("调拨单号：DB-20240501明细"));
    form.show();
    QApplication::processEvents();

    const QImage image = form.grab().toImage();
    Keep(image, QStringLiteral("bill-grid.png"));
    QTableView* table = view->Table();
    auto cellRect = [&](int row, int col) {
        QRect r = table->visualRect(table->model()->index(row, col));
        return QRect(table->viewport()->mapTo(&form, r.topLeft()), r.size());
    };
    // The completed bill's number cell is green, its amount cell keeps the row's look.
    const QRect done = cellRect(2, 0);
    EXPECT_EQ(image.pixelColor(done.left() + 2, done.top() + 2), QColor(0, 166, 83));
    EXPECT_EQ(image.pixelColor(cellRect(1, 3).left() + 2, cellRect(1, 3).top() + 2), QColor(247, 204, 204));
    const QRect plain = cellRect(2, 2);
    EXPECT_EQ(image.pixelColor(plain.left() + 2, plain.top() + 2),
              repo.StyleSheet(0)->Style(GridStyleSheet::ContentEven)->Color());
    // Chinese captions and texts are drawn (ink in the header and the status cell), not blank.
    const QRect header(table->horizontalHeader()->mapTo(&form, QPoint(0, 0)),
                       QSize(table->horizontalHeader()->width(), table->horizontalHeader()->height()));
    EXPECT_GT(InkShare(image, header.adjusted(4, 4, -4, -4), image.pixelColor(header.left() + 3, header.top() + 3)), 0.02);
    const QRect statusCell = cellRect(0, 3);
    EXPECT_GT(InkShare(image, statusCell.adjusted(2, 2, -2, -2), image.pixelColor(statusCell.left() + 1, statusCell.top() + 1)), 0.02);
    // The footer sits under the table and shows the totals.
    EXPECT_EQ(view->Footer()->TextUnder(0), "4 条记录");
    EXPECT_EQ(view->Footer()->TextUnder(2), "￥12,345.00");
    EXPECT_GT(view->Footer()->height(), 10);
    EXPECT_GE(view->Footer()->mapTo(&form, QPoint(0, 0)).y(), table->mapTo(&form, QPoint(0, table->height())).y() - 1);
}

TEST(Render, StorageTreeWithImages)
{
    Form form;
    form.resize(300, 200);
    auto* layout = new QVBoxLayout(&form);
    auto* tree = new TreeList(&form);
    layout->addWidget(tree);
    tree->CreateColumn()->SetCaption(QStringLiteral("仓库"));
    tree->SetHeadersVisible(false);
    tree->SetRowSelect(true);
    tree->SetColumnAutoWidth(true);
    tree->SetGridLines(TreeList::GridLineKind::Both);
    tree->SetImages(ImageList::BuiltIn(tree));
    TreeListNode* top = tree->AddRoot();
    top->SetTexts(0, QStringLiteral("[S01]总仓"));
    top->SetImageIndex(3);
    for (int i = 0; i < 3; ++i) {
        TreeListNode* c = top->AddChild();
        c->SetTexts(0, QStringLiteral("[S0%1]分仓%1").arg(i + 2));
        c->SetImageIndex(1);
        c->SetSelectedIndex(2);
    }
    top->Expand(false);
    top->SetFocused(true);
    form.show();
    QApplication::processEvents();
    const QImage image = form.grab().toImage();
    Keep(image, QStringLiteral("storage-tree.png"));
    EXPECT_FALSE(tree->Tree()->header()->isVisible());
    EXPECT_TRUE(tree->Tree()->isExpanded(tree->IndexOf(top)));
    const QRect r = tree->Tree()->visualRect(tree->IndexOf(top->Item(0)));
    EXPECT_GT(r.height(), 0);
    // The focused row's text is drawn in a colour that stands out from its highlight.
    QRect focused = tree->Tree()->visualRect(tree->IndexOf(top));
    focused = QRect(tree->Tree()->viewport()->mapTo(&form, focused.topLeft()), focused.size()).adjusted(24, 2, -2, -2);
    const QColor back = image.pixelColor(focused.right() - 1, focused.center().y());
    EXPECT_GT(InkShare(image, focused, back), 0.03);
}
