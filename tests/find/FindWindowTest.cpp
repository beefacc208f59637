// The find dialog: direction without wrap, the focused row skipped, whole and partial match
// with letter case, numbers, hidden columns and nulls, tree lists, and its life as one dialog.
#include "tests/find/FindFixture.h"

#include "platform/BandedTableView.h"
#include "platform/DataController.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace findtest;

namespace {

const QString kNotFound = QStringLiteral("查找不到要搜索的数据");

class FindWindowTest : public WindowTest {
protected:
    GoodsData goods;
    platform::Grid* grid = nullptr;

    platform::DataController* Dc() const { return grid->ActiveView()->DataController(); }

    // The dialog as FindData opens it on the window's one banded grid.
    TFindWindowForm& OpenOnGrid()
    {
        EXPECT_TRUE(window->FindData());
        EXPECT_NE(FindWindowForm, nullptr);
        EXPECT_EQ(FindWindowForm->SearchMode, 0);
        return *FindWindowForm;
    }
    // Types the text and presses 查找&F as a user does; returns the focused record after.
    int Search(const QString& text, bool down = true, bool whole = false)
    {
        TFindWindowForm& f = *FindWindowForm;
        f.Edit1->setText(text);
        (down ? f.rb2 : f.rb1)->setChecked(true);
        f.chk1->setChecked(whole);
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        return Dc()->FocusedRecordIndex();
    }
    void TearDown() override
    {
        if (FindWindowForm)
            FindWindowForm->close();
        WindowTest::TearDown();
    }
};

} // namespace

TEST_F(FindWindowTest, LooksAsDesignedAndStartsEmpty)
{
    TFindWindowForm f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("查找"));
    EXPECT_EQ(f.size(), QSize(341, 72));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.Label1->text(), QStringLiteral("查找内容："));
    EXPECT_EQ(f.Button1->text(), QStringLiteral("查找&F"));
    EXPECT_TRUE(f.Button1->isDefault());
    EXPECT_EQ(f.Button2->text(), QStringLiteral("关闭&C"));
    EXPECT_EQ(f.rb1->text(), QStringLiteral("向上"));
    EXPECT_EQ(f.rb2->text(), QStringLiteral("向下"));
    EXPECT_TRUE(f.rb2->isChecked());
    EXPECT_EQ(f.chk1->text(), QStringLiteral("完全匹配"));
    EXPECT_FALSE(f.chk1->isChecked());
    EXPECT_TRUE(f.Edit1->text().isEmpty());
    EXPECT_EQ(f.SearchMode, -1);
    EXPECT_TRUE(f.SearchGrid.isNull());
    EXPECT_TRUE(f.SearchTreeList.isNull());
    EXPECT_EQ(f.FindInGrid(), -1);
    EXPECT_EQ(f.FindInTreeList(), -1);
    EXPECT_EQ(f.findChild<QLineEdit*>(QStringLiteral("Edit1")), f.Edit1);
}

TEST_F(FindWindowTest, SearchesOnFromTheFocusedRowWithoutWrapping)
{
    goods.AddNumbered(21);
    goods.data.SetRecNo(0);
    grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    OpenOnGrid();
    Dc()->SetFocusedRecordIndex(0);

    // G001's own "G0" is skipped: the walk starts at the next row.
    EXPECT_EQ(Search(QStringLiteral("G0")), 1);
    EXPECT_EQ(Search(QStringLiteral("G0")), 2); // pressing again walks on
    EXPECT_EQ(Search(QStringLiteral("商品2")), 19); // 商品20 is the next one below 商品3
    EXPECT_TRUE(app.ShownMessages().isEmpty());

    Dc()->SetFocusedRecordIndex(20);
    EXPECT_EQ(Search(QStringLiteral("G0")), 20); // nothing after the last row
    EXPECT_EQ(app.ShownMessages(), QStringList{kNotFound});
    EXPECT_EQ(Search(QStringLiteral("G001"), false), 0); // up finds the first row
    EXPECT_EQ(Search(QStringLiteral("G0"), false), 0);  // and nothing before it
    EXPECT_EQ(app.ShownMessages().size(), 2);

    // A user who moves the focus by hand moves the starting point.
    Dc()->SetFocusedRecordIndex(10);
    EXPECT_EQ(Search(QStringLiteral("商品1"), false), 9);

    // An empty text reports without searching.
    EXPECT_EQ(Search(QString()), 9);
    EXPECT_EQ(app.ShownMessages().size(), 3);
}

TEST_F(FindWindowTest, NoFocusedRecordStartsDownAtTheFirst)
{
    goods.Add(QStringLiteral("X1"), QStringLiteral("目标"));
    goods.AddNumbered(20);
    grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    OpenOnGrid();
    Dc()->SetFocusedRecordIndex(-1);
    ASSERT_EQ(Dc()->FocusedRecordIndex(), -1);
    EXPECT_EQ(FindWindowForm->Edit1->text(), QString());
    FindWindowForm->Edit1->setText(QStringLiteral("目标"));
    EXPECT_EQ(FindWindowForm->FindInGrid(), 0);
    EXPECT_EQ(Dc()->FocusedRecordIndex(), 0);
}

TEST_F(FindWindowTest, CaseCountsAndWholeMatchComparesValues)
{
    goods.Add(QStringLiteral("R0"), QStringLiteral("start"));
    goods.Add(QStringLiteral("R1"), QStringLiteral("ABC box"), 5);
    goods.Add(QStringLiteral("R2"), QStringLiteral("xaby"), 6);
    goods.Add(QStringLiteral("R3"), QStringLiteral("ab"), 7);
    goods.Add(QStringLiteral("R4"), QStringLiteral("n"), 12, 12.5, QStringLiteral("2024-05-01"));
    goods.Add(QStringLiteral("R5"), QStringLiteral("m"), 112, 99);
    goods.AddNumbered(15);
    grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    OpenOnGrid();

    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("ab")), 2); // not the upper-case ABC of R1
    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("ab"), true, true), 3); // the whole text only

    // Digits with whole match find the number itself, not a number that merely holds them.
    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("12"), true, true), 4);
    EXPECT_EQ(Search(QStringLiteral("12"), true, true), 4); // 112 is no match
    EXPECT_EQ(app.ShownMessages().size(), 1);
    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("12.5"), true, true), 4); // money
    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("2024-05-01"), true, true), 4); // a date
    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("abc"), true, true), 0); // text that is no number: no match
    Dc()->SetFocusedRecordIndex(4);
    EXPECT_EQ(Search(QStringLiteral("12")), 5); // partial: 112 holds 12

    EXPECT_TRUE(TFindWindowForm::Matches(QVariant::fromValue(platform::Currency::FromDouble(12.5)),
                                         QStringLiteral("2.5"), false));
    EXPECT_FALSE(TFindWindowForm::Matches(12.0, QStringLiteral("twelve"), true));
}

TEST_F(FindWindowTest, HiddenColumnsAndNullCellsNeverMatch)
{
    goods.Add(QStringLiteral("R0"), QStringLiteral("start"));
    goods.Add(QStringLiteral("R1"), QVariant(), QVariant(), QVariant(), QVariant(), QStringLiteral("秘密"));
    goods.Add(QStringLiteral("R2"), QStringLiteral("无"));
    goods.AddNumbered(18);
    grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    OpenOnGrid();
    Dc()->SetFocusedRecordIndex(0);
    EXPECT_EQ(Search(QStringLiteral("秘密")), 0);
    EXPECT_EQ(app.ShownMessages(), QStringList{kNotFound});
    // A null quantity does not read as 0, nor an empty name as "".
    EXPECT_EQ(Search(QStringLiteral("0"), true, true), 0);
    EXPECT_EQ(app.ShownMessages().size(), 2);
}

TEST_F(FindWindowTest, OnlyBandedViewsAreSearched)
{
    goods.AddNumbered(25);
    TFindWindowForm f;
    platform::Grid* plain = MakeGrid(window.get(), goods, false);
    f.SearchGrid = plain;
    f.SearchMode = 0;
    f.Edit1->setText(QStringLiteral("G0"));
    EXPECT_EQ(f.FindInGrid(), -1);
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    EXPECT_EQ(app.ShownMessages(), QStringList{kNotFound});
    delete plain;
}

TEST_F(FindWindowTest, TreeListsAreSearchedInAbsoluteOrder)
{
    platform::TreeList* tree = Own(MakeTree(window.get()), QStringLiteral("tree"));
    ASSERT_TRUE(window->FindData());
    TFindWindowForm& f = *FindWindowForm;
    EXPECT_EQ(f.SearchMode, 1);
    f.Edit1->setText(QStringLiteral("一号库"));
    // No focused node: down starts at the first node.
    EXPECT_EQ(f.FindInTreeList(), 1);
    EXPECT_EQ(tree->FocusedNode(), tree->AbsoluteItem(1));
    EXPECT_EQ(f.FindInTreeList(), 4); // past the nameless S0102 and S02
    EXPECT_EQ(f.FindInTreeList(), -1);
    EXPECT_EQ(tree->FocusedNode(), tree->AbsoluteItem(4));
    f.rb1->setChecked(true);
    EXPECT_EQ(f.FindInTreeList(), 1);
    // The hidden id column is not searched.
    f.Edit1->setText(QStringLiteral("903"));
    f.rb2->setChecked(true);
    tree->SetFocusedNode(nullptr);
    EXPECT_EQ(f.FindInTreeList(), -1);
    // Up without a focused node starts at the last node.
    f.Edit1->setText(QStringLiteral("S0"));
    f.rb1->setChecked(true);
    EXPECT_EQ(f.FindInTreeList(), 4);
}

TEST_F(FindWindowTest, OneDialogKeepsItsTextAndOptionsUntilClosed)
{
    platform::TreeList* tree = MakeTree(window.get());
    goods.AddNumbered(21);
    grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    TFindWindowForm& f = OpenOnGrid();
    EXPECT_TRUE(f.isVisible());
    f.Edit1->setText(QStringLiteral("一号库"));
    f.rb1->setChecked(true);
    f.chk1->setChecked(true);

    // The tree list, owned after the grid, is reached only when the grid no longer qualifies.
    window->Own(tree, QStringLiteral("tree"));
    EXPECT_TRUE(window->FindData());
    EXPECT_EQ(FindWindowForm, &f);
    EXPECT_EQ(f.SearchMode, 0);
    platform::SetTag(grid, 9999);
    EXPECT_TRUE(window->FindData());
    EXPECT_EQ(FindWindowForm, &f); // re-targeted, not a second dialog
    EXPECT_EQ(f.SearchMode, 1);
    EXPECT_EQ(f.SearchTreeList.data(), tree);
    EXPECT_EQ(f.SearchGrid.data(), grid); // kept, ignored
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("一号库"));
    EXPECT_TRUE(f.rb1->isChecked());
    EXPECT_TRUE(f.chk1->isChecked());

    // Enter presses 查找&F.
    tree->SetFocusedNode(tree->AbsoluteItem(4));
    f.Edit1->setFocus();
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    EXPECT_EQ(tree->FocusedNode(), tree->AbsoluteItem(1));

    // Esc closes and frees it; the next opening starts over.
    QPointer<TFindWindowForm> gone(&f);
    QTest::keyClick(f.Edit1, Qt::Key_Escape);
    EXPECT_EQ(FindWindowForm, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 2000);
    platform::SetTag(grid, 0);
    TFindWindowForm& again = OpenOnGrid();
    EXPECT_TRUE(again.Edit1->text().isEmpty());
    EXPECT_TRUE(again.rb2->isChecked());
    EXPECT_FALSE(again.chk1->isChecked());

    // 关闭&C closes it as well.
    QPointer<TFindWindowForm> second(&again);
    QTest::mouseClick(again.Button2, Qt::LeftButton);
    EXPECT_EQ(FindWindowForm, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(second.isNull(), 2000);
}

TEST_F(FindWindowTest, ATargetFreedWhileTheDialogIsOpenFindsNothing)
{
    goods.AddNumbered(21);
    grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    TFindWindowForm& f = OpenOnGrid();
    delete grid;
    grid = nullptr;
    f.Edit1->setText(QStringLiteral("G0"));
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    EXPECT_EQ(app.ShownMessages(), QStringList{kNotFound});

    // The window going away takes its dialog with it.
    window->DoneWindow();
    window.reset();
    EXPECT_EQ(FindWindowForm, nullptr);
    window = std::make_unique<TDllWindowForm>();
}
