// ApplyHostStyles: the host's sheets on views and trees by exact class, the tooltip colour on
// editors, recursion into frames, tab sheets and forms; nothing else touched.
#include "platform/ButtonEdit.h"
#include "platform/CurrencyEdit.h"
#include "platform/DateEdit.h"
#include "platform/Grid.h"
#include "platform/ImageComboBox.h"
#include "platform/Memo.h"
#include "platform/SpinEdit.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"
#include "plugin/DllWindow.h"
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"

#include <QToolTip>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class DerivedTableView : public platform::TableView {
    Q_OBJECT
public:
    using TableView::TableView;
};

class DerivedFrame : public platform::Frame {
    Q_OBJECT
public:
    using Frame::Frame;
};

class DerivedTabSheet : public platform::TabSheet {
    Q_OBJECT
public:
    using TabSheet::TabSheet;
};

class HostStylesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedTip = QToolTip::palette();
        QPalette p = savedTip;
        p.setColor(QPalette::ToolTipBase, tip);
        QToolTip::setPalette(p);
    }
    void TearDown() override { QToolTip::setPalette(savedTip); }

    const platform::GridStyleSheet* Sheet(int i) { return host.Ui.Styles.StyleSheet(i); }

    ScriptedApplication app;
    TestHost host;
    ModuleScope scope{app, &host};
    QPalette savedTip;
    const QColor tip{0x12, 0x34, 0x56};
};

} // namespace

TEST_F(HostStylesTest, ViewsTakeTheirSheetsByExactClassEachFetchingTheUiAnew)
{
    TDllWindowForm w;
    auto* grid = w.Own(new platform::Grid(&w), QStringLiteral("cxGrid1"));
    auto* table = w.Own(grid->CreateTableView(), QStringLiteral("TableBillInfo"));
    auto* banded = w.Own(grid->CreateBandedTableView(), QStringLiteral("cxGrid1DBBandedTableView1"));
    auto* derived = w.Own(grid->CreateView<DerivedTableView>(), QStringLiteral("derived"));
    auto* tree = w.Own(new platform::TreeList(&w), QStringLiteral("tlGoodsType"));

    w.InitWindow();
    EXPECT_EQ(table->StyleSheet(), Sheet(0));
    EXPECT_EQ(banded->StyleSheet(), Sheet(2));
    EXPECT_EQ(tree->StyleSheet(), Sheet(1));
    EXPECT_EQ(derived->StyleSheet(), nullptr);
    EXPECT_EQ(host.Calls(QStringLiteral("GetUi")), 3);
    EXPECT_EQ(host.Ui.StyleRepositoryCalls, 3);
    EXPECT_EQ(host.Ui.RefCount(), 0u);
}

TEST_F(HostStylesTest, EditorsTakeTheTooltipColourWhenFocused)
{
    TDllWindowForm w;
    auto* text = w.Own(new platform::TextEdit(&w), QStringLiteral("edtBillNo"));
    auto* button = w.Own(new platform::ButtonEdit(&w), QStringLiteral("edtGoodsCodeOrName"));
    auto* combo = w.Own(new platform::ImageComboBox(&w), QStringLiteral("cbStorage"));
    auto* spin = w.Own(new platform::SpinEdit(&w), QStringLiteral("spin"));
    auto* money = w.Own(new platform::CurrencyEdit(&w), QStringLiteral("edtSum"));
    auto* memo = w.Own(new platform::Memo(&w), QStringLiteral("mmRemark"));
    auto* date = w.Own(new platform::DateEdit(&w), QStringLiteral("dtBegindate"));
    const QColor dateBefore = date->FocusedColor();

    w.ApplyHostStyles(&w);
    EXPECT_EQ(text->FocusedColor(), tip);
    EXPECT_EQ(button->FocusedColor(), tip);
    EXPECT_EQ(combo->FocusedColor(), tip);
    EXPECT_EQ(spin->FocusedColor(), tip);
    EXPECT_EQ(money->FocusedColor(), tip);
    EXPECT_EQ(memo->FocusedColor(), tip);
    EXPECT_EQ(date->FocusedColor(), dateBefore); // not an editor of the list
    EXPECT_EQ(host.Calls(QStringLiteral("GetUi")), 0);
}

TEST_F(HostStylesTest, DescendsIntoFramesTabSheetsAndForms)
{
    TDllWindowForm w;
    auto* frame = w.Own(new DerivedFrame(&w), QStringLiteral("Frame31"));
    auto* frameGrid = frame->Own(new platform::Grid(frame));
    auto* frameView = frame->Own(frameGrid->CreateTableView());
    auto* frameEdit = frame->Own(new platform::TextEdit(frame));

    auto* sheet = w.Own(new platform::TabSheet(&w), QStringLiteral("cxTabSheet1"));
    auto* sheetGrid = sheet->Own(new platform::Grid(sheet));
    auto* sheetView = sheet->Own(sheetGrid->CreateBandedTableView());

    auto* sub = w.Own(new platform::Form(&w), QStringLiteral("sub"));
    auto* subFrame = sub->Own(new platform::Frame(sub));
    auto* deepEdit = subFrame->Own(new platform::CurrencyEdit(subFrame));

    // Only tab sheets of exactly that class are entered.
    auto* otherSheet = w.Own(new DerivedTabSheet(&w), QStringLiteral("derivedSheet"));
    auto* hiddenEdit = otherSheet->Own(new platform::TextEdit(otherSheet));
    const QColor hiddenBefore = hiddenEdit->FocusedColor();

    w.ApplyHostStyles(&w);
    EXPECT_EQ(frameView->StyleSheet(), Sheet(0));
    EXPECT_EQ(frameEdit->FocusedColor(), tip);
    EXPECT_EQ(sheetView->StyleSheet(), Sheet(2));
    EXPECT_EQ(deepEdit->FocusedColor(), tip);
    EXPECT_EQ(hiddenEdit->FocusedColor(), hiddenBefore);
}

TEST_F(HostStylesTest, MissingUiServiceReachesTheCaller)
{
    // InitWindow lets the error pass to the host; an empty window needs no service at all.
    TDllWindowForm empty;
    plugin::SetHost(nullptr);
    EXPECT_NO_THROW(empty.InitWindow());

    TDllWindowForm w;
    auto* grid = w.Own(new platform::Grid(&w));
    w.Own(grid->CreateTableView());
    EXPECT_THROW(w.InitWindow(), platform::Exception);
}

#include "HostStylesTest.moc"
