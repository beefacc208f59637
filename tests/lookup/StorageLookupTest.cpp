// The storage lookup: the search, the tree nested by parent storage, OK and Cancel, and the
// records that outlive the dialog.
#include "lookup/FrmQryStorageList.h"
#include "lookup/rframebottom3.h"
#include "platform/Exception.h"
#include "platform/ImageList.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"
#include "tests/lookup/LookupFixture.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace lookuptest;
using Frm = TQryStorageListFrm;

namespace {

// Display texts of the whole tree in absolute order, children indented by level.
QStringList Outline(const Frm& d)
{
    QStringList out;
    const int col = d.ColDeptName_list->Index();
    for (int i = 0; i < d.tlTypeList->AbsoluteCount(); ++i) {
        platform::TreeListNode* n = d.tlTypeList->AbsoluteItem(i);
        out << QString(n->Level() * 2, u' ') + n->Texts(col);
    }
    return out;
}

platform::TreeListNode* NodeOfCode(const Frm& d, const QString& code)
{
    return d.tlTypeList->FindNodeByText(d.colDeptShotCode_list->Index(), code);
}

class StorageLookupTest : public LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        AddStorage(1, 0, QStringLiteral("WH01"), QStringLiteral("总仓"));
        AddStorage(2, 1, QStringLiteral("WH01A"), QStringLiteral("总仓甲区"));
        AddStorage(3, 2, QStringLiteral("WH01A1"), QStringLiteral("甲区一架"));
        AddStorage(4, 0, QStringLiteral("SH02"), QStringLiteral("上海仓"));
        AddStorage(5, 4, QStringLiteral("SH02B"), QStringLiteral("上海仓乙区"));
        AddStorage(6, 9, QStringLiteral("LOST"), QStringLiteral("孤儿仓")); // parent 9 comes later
        AddStorage(9, 0, QStringLiteral("BJ09"), QStringLiteral("北京仓"));
        AddStorage(7, 1, QStringLiteral("OFF7"), QStringLiteral("停用仓"), 0);
    }
};

} // namespace

TEST_F(StorageLookupTest, DialogLooksAsDesigned)
{
    Frm d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("仓库检索"));
    EXPECT_EQ(d.size(), QSize(434, 442));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_TRUE(d.KeyPreview());
    EXPECT_EQ(d.lblTitle->text(), QStringLiteral("【仓库选择】"));
    EXPECT_EQ(d.lblHint->text(), QStringLiteral("输入仓库编号或仓库名称检索仓库信息。"));
    EXPECT_EQ(d.edtCondition->font().pixelSize(), 16);
    EXPECT_TRUE(d.edtCondition->UpperCase());
    EXPECT_EQ(d.findChild<platform::TreeList*>(QStringLiteral("tlTypeList")), d.tlTypeList);
    ASSERT_EQ(d.tlTypeList->ColumnCount(), 3);
    EXPECT_EQ(d.tlTypeList->Column(0)->objectName(), QStringLiteral("ColDeptName_list"));
    EXPECT_TRUE(d.ColDeptName_list->Visible());
    EXPECT_FALSE(d.colID_List->Visible());
    EXPECT_EQ(d.colID_List->Caption(), QStringLiteral("ID"));
    EXPECT_FALSE(d.colDeptShotCode_list->Visible());
    EXPECT_FALSE(d.tlTypeList->HeadersVisible());
    EXPECT_EQ(d.tlTypeList->GridLines(), platform::TreeList::GridLineKind::Both);
    EXPECT_TRUE(d.tlTypeList->RowSelect());
    EXPECT_TRUE(d.tlTypeList->ColumnAutoWidth());
    ASSERT_NE(d.tlTypeList->Images(), nullptr);
    EXPECT_EQ(d.tlTypeList->Images()->Count(), 5);
    EXPECT_EQ(d.tlTypeList->StyleSheet(), host.Ui.Styles.StyleSheet(1));
    ASSERT_NE(d.Storage(), nullptr);
    EXPECT_TRUE(d.Storage()->ID.isEmpty());
}

TEST_F(StorageLookupTest, EmptyConditionListsEveryStorageInUseNestedByParent)
{
    Frm d;
    d.QueryStorages(QString());
    EXPECT_EQ(Outline(d), (QStringList{"[WH01]总仓", "  [WH01A]总仓甲区", "    [WH01A1]甲区一架", "[SH02]上海仓",
                                       "  [SH02B]上海仓乙区", "[LOST]孤儿仓", "[BJ09]北京仓"}));
    // Hidden columns hold the id and the code.
    platform::TreeListNode* n = NodeOfCode(d, QStringLiteral("WH01A"));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Texts(d.colID_List->Index()), QStringLiteral("2"));
    EXPECT_EQ(n->DataAs<Tbas_Storage>()->StorageName, QStringLiteral("总仓甲区"));
    EXPECT_EQ(n->DataAs<Tbas_Storage>()->TreeNode(), n);
    // Children show image 1, and 2 when focused; roots keep the default.
    EXPECT_EQ(n->ImageIndex(), 1);
    EXPECT_EQ(n->SelectedIndex(), 2);
    EXPECT_EQ(d.tlTypeList->TopNode()->ImageIndex(), -1);
}

TEST_F(StorageLookupTest, OnlyTheFirstRootIsExpandedAndFocused)
{
    Frm d;
    d.QueryStorages(QString());
    platform::TreeListNode* top = d.tlTypeList->TopNode();
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->Expanded());
    EXPECT_EQ(d.tlTypeList->FocusedNode(), top);
    EXPECT_FALSE(NodeOfCode(d, QStringLiteral("WH01A"))->Expanded());
    EXPECT_FALSE(NodeOfCode(d, QStringLiteral("SH02"))->Expanded());
    // The view agrees.
    QTreeView* view = d.tlTypeList->Tree();
    const QModelIndex topIndex = view->model()->index(0, 0);
    EXPECT_TRUE(view->isExpanded(topIndex));
    EXPECT_FALSE(view->isExpanded(view->model()->index(0, 0, topIndex)));
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_FALSE(view->currentIndex().parent().isValid());
}

TEST_F(StorageLookupTest, ConditionMatchesCodeOrNameInAnyCase)
{
    Frm d;
    d.QueryStorages(QStringLiteral("wh01a"));
    const QStringList lower = Outline(d);
    d.QueryStorages(QStringLiteral("WH01A"));
    EXPECT_EQ(Outline(d), lower);
    // Without its parent in the result WH01A is a root; its child still finds it.
    EXPECT_EQ(lower, (QStringList{"[WH01A]总仓甲区", "  [WH01A1]甲区一架"}));
    d.QueryStorages(QStringLiteral("上海"));
    EXPECT_EQ(Outline(d), (QStringList{"[SH02]上海仓", "  [SH02B]上海仓乙区"}));
    d.QueryStorages(QStringLiteral("OFF"));
    EXPECT_EQ(d.tlTypeList->Count(), 0);
}

TEST_F(StorageLookupTest, ParentIdMatchesTheFirstNodeWithThatIdAndZeroMatchesNoneButId0)
{
    AddStorage(0, 0, QStringLiteral("ZERO"), QStringLiteral("零号仓"));
    Frm d;
    d.QueryStorages(QString());
    // The storage with ID 0 comes first; every storage whose parent is 0 now sits under it,
    // including the zero storage's own row, which found no node before it.
    const QStringList outline = Outline(d);
    ASSERT_FALSE(outline.isEmpty());
    EXPECT_EQ(outline.first(), QStringLiteral("[ZERO]零号仓"));
    EXPECT_EQ(d.tlTypeList->Count(), 2); // ZERO and the orphan LOST
    EXPECT_EQ(NodeOfCode(d, QStringLiteral("WH01"))->Parent(), NodeOfCode(d, QStringLiteral("ZERO")));
    EXPECT_EQ(NodeOfCode(d, QStringLiteral("BJ09"))->Parent(), NodeOfCode(d, QStringLiteral("ZERO")));
    EXPECT_EQ(NodeOfCode(d, QStringLiteral("LOST"))->Parent(), nullptr);
}

TEST_F(StorageLookupTest, PickReturnsTheFocusedStorageValidAfterTheDialogIsGone)
{
    QList<QPointer<QObject>> records;
    OnDialog<Frm>([&](Frm& d) {
        EXPECT_EQ(d.focusWidget(), d.tlTypeList->Tree());
        for (int i = 0; i < d.tlTypeList->AbsoluteCount(); ++i)
            records << d.tlTypeList->AbsoluteItem(i)->DataObject();
        d.tlTypeList->SetFocusedNode(NodeOfCode(d, QStringLiteral("SH02B")));
        d.Frame31->bbtnEnter->click();
    });
    std::unique_ptr<Tbas_Storage> storage;
    ASSERT_TRUE(SelectStorage(QString(), storage));
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(storage->ID, QStringLiteral("5"));
    EXPECT_EQ(storage->StoragePID, 4);
    EXPECT_EQ(storage->StorageCode, QStringLiteral("SH02B"));
    EXPECT_EQ(storage->StorageName, QStringLiteral("上海仓乙区"));
    EXPECT_EQ(storage->StorageKind, QStringLiteral("K"));
    EXPECT_EQ(storage->Manager, QStringLiteral("张三"));
    EXPECT_EQ(storage->Address, QStringLiteral("上海"));
    EXPECT_EQ(storage->Sort, 5);
    EXPECT_EQ(storage->TelNo, QStringLiteral("021"));
    EXPECT_EQ(storage->OptorCode, QStringLiteral("001"));
    EXPECT_EQ(storage->UseFlag, 1);
    // Its node died with the dialog, and the link says so.
    EXPECT_EQ(storage->TreeNode(), nullptr);
    // Every other record went with the dialog.
    ASSERT_EQ(records.size(), 7);
    for (const QPointer<QObject>& r : records)
        EXPECT_EQ(r.isNull(), r.data() != storage.get());
}

TEST_F(StorageLookupTest, CancelReturnsFalseWithTheEmptyRecordAndFreesTheLoadedOnes)
{
    QList<QPointer<QObject>> records;
    const Tbas_Storage* empty = nullptr;
    OnDialog<Frm>([&](Frm& d) {
        empty = d.Storage();
        for (int i = 0; i < d.tlTypeList->AbsoluteCount(); ++i)
            records << d.tlTypeList->AbsoluteItem(i)->DataObject();
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<Tbas_Storage> storage;
    EXPECT_FALSE(SelectStorage(QStringLiteral("WH"), storage));
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(storage.get(), empty);
    EXPECT_TRUE(storage->ID.isEmpty());
    EXPECT_TRUE(storage->StorageCode.isEmpty());
    ASSERT_EQ(records.size(), 3);
    for (const QPointer<QObject>& r : records)
        EXPECT_TRUE(r.isNull());
}

TEST_F(StorageLookupTest, SearchingAgainFreesThePreviousRecords)
{
    Frm d;
    d.QueryStorages(QString());
    EXPECT_EQ(d.RecordCount(), 1 + 7);
    QPointer<QObject> old = d.tlTypeList->TopNode()->DataObject();
    d.QueryStorages(QStringLiteral("BJ"));
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(d.RecordCount(), 1 + 1);
    d.QueryStorages(QStringLiteral("NOTHING"));
    EXPECT_EQ(d.RecordCount(), 1);
    ASSERT_NE(d.Storage(), nullptr);
}

TEST_F(StorageLookupTest, OkOnAnEmptyTreeDoesNothingAndOpeningEmptyShowsNoMessage)
{
    OnDialog<Frm>([](Frm& d) {
        EXPECT_EQ(d.tlTypeList->Count(), 0);
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        d.Frame31->bbtnEnter->click();
        EXPECT_TRUE(d.isVisible());
        d.tlTypeList->Tree()->setFocus();
        QTest::mouseDClick(d.tlTypeList->Tree()->viewport(), Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        Activate(d);
        d.edtCondition->setFocus();
        QTest::keyClick(d.edtCondition, Qt::Key_Escape);
    });
    std::unique_ptr<Tbas_Storage> storage;
    EXPECT_FALSE(SelectStorage(QStringLiteral("NOSUCH"), storage));
    EXPECT_TRUE(app.Boxes().isEmpty());
    EXPECT_TRUE(storage->ID.isEmpty());
    EXPECT_TRUE(app.Clean());
}

TEST_F(StorageLookupTest, SearchFromTheDialogTrimsAndTellsWhenNothingIsFound)
{
    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        d.edtCondition->setFocus();
        d.edtCondition->setText(QStringLiteral("  BJ  "));
        QTest::keyClick(d.edtCondition, Qt::Key_Tab);
        EXPECT_EQ(Outline(d), QStringList{"[BJ09]北京仓"});
        // Tab is consumed; the search put the focus in the tree.
        EXPECT_EQ(d.focusWidget(), d.tlTypeList->Tree());

        d.edtCondition->setText(QStringLiteral("NOSUCH"));
        d.BtnQry->click();
        EXPECT_EQ(d.tlTypeList->Count(), 0);
        EXPECT_EQ(d.focusWidget(), d.edtCondition);

        // No minimum length: blanks alone list everything in use.
        d.edtCondition->setText(QStringLiteral("   "));
        d.BtnQry->click();
        EXPECT_EQ(d.tlTypeList->AbsoluteCount(), 7);
        d.Frame31->bbtnClose->click();
    });
    std::unique_ptr<Tbas_Storage> storage;
    EXPECT_FALSE(SelectStorage(QString(), storage));
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("未查询到仓库信息!"));
    EXPECT_EQ(app.Boxes()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::Information);
}

TEST_F(StorageLookupTest, TabOrEnterInTheTreeMovesToOkAndEnterThereTakesTheFocusedStorage)
{
    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        QTreeView* tree = d.tlTypeList->Tree();
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Tab);
        EXPECT_EQ(d.focusWidget(), d.Frame31->bbtnEnter);
        EXPECT_TRUE(d.isVisible());
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        EXPECT_EQ(d.tlTypeList->FocusedNode(), NodeOfCode(d, QStringLiteral("WH01A")));
        QTest::keyClick(tree, Qt::Key_Return);
        EXPECT_EQ(d.focusWidget(), d.Frame31->bbtnEnter);
        // The first Enter only moved the focus.
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(d.Frame31->bbtnEnter, Qt::Key_Return);
    });
    std::unique_ptr<Tbas_Storage> storage;
    EXPECT_TRUE(SelectStorage(QStringLiteral("WH"), storage));
    EXPECT_EQ(storage->StorageCode, QStringLiteral("WH01A"));
}

TEST_F(StorageLookupTest, DoubleClickOnTheTreePicks)
{
    OnDialog<Frm>([](Frm& d) {
        QTreeView* tree = d.tlTypeList->Tree();
        const QRect r = tree->visualRect(tree->model()->index(1, 0)); // SH02, the second root
        ASSERT_TRUE(r.isValid());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, r.center());
    });
    std::unique_ptr<Tbas_Storage> storage;
    EXPECT_TRUE(SelectStorage(QString(), storage));
    EXPECT_EQ(storage->StorageCode, QStringLiteral("SH02"));
}

TEST_F(StorageLookupTest, QuoteInConditionIsSearchedLiterally)
{
    AddStorage(30, 0, QStringLiteral("Q'1"), QStringLiteral("奥'仓"));
    Frm d;
    EXPECT_NO_THROW(d.QueryStorages(QStringLiteral("q'")));
    EXPECT_EQ(Outline(d), QStringList{"[Q'1]奥'仓"});
    EXPECT_NO_THROW(d.QueryStorages(QStringLiteral("X' or 1=1 or 'a'='")));
    EXPECT_EQ(d.tlTypeList->Count(), 0);
}

TEST_F(StorageLookupTest, DatabaseErrorLeavesTheTreePaintingAndEmpty)
{
    Frm d;
    d.QueryStorages(QString());
    Exec(QStringLiteral("drop table bas_Storage"));
    EXPECT_THROW(d.QueryStorages(QString()), platform::EDatabaseError);
    EXPECT_FALSE(d.tlTypeList->IsUpdating());
    EXPECT_EQ(d.tlTypeList->Count(), 0);
    EXPECT_EQ(d.RecordCount(), 1);
}
