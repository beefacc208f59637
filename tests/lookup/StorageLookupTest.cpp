// The storage lookup on the test host's database: the search, the tree nested by parent
// storage, OK and Cancel, and the records that outlive the dialog.
#include "lookup/FrmQryStorageList.h"
#include "platform/core/Exception.h"
#include "platform/rframebottom3.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"
#include "tests/lookup/LookupFixture.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace lookuptest;
using Frm = TQryStorageListFrm;

namespace {

// Display texts of the whole tree in absolute order, indented by level.
QStringList Outline(const Frm& d)
{
    QStringList out;
    for (int i = 0; i < d.tlTypeList->AbsoluteCount(); ++i) {
        platform::TreeListNode* n = d.tlTypeList->AbsoluteItem(i);
        out << QString(n->Level() * 2, u' ') + n->Texts(d.ColDeptName_list->Index());
    }
    return out;
}

platform::TreeListNode* NodeOf(const Frm& d, const QString& code)
{
    return d.tlTypeList->FindNodeByText(d.colDeptShotCode_list->Index(), code);
}

QList<QPointer<QObject>> Records(const Frm& d)
{
    QList<QPointer<QObject>> out;
    for (int i = 0; i < d.tlTypeList->AbsoluteCount(); ++i)
        out << d.tlTypeList->AbsoluteItem(i)->DataObject();
    return out;
}

class StorageLookupTest : public LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        AddStorage(1, 0, "WH01", "总仓");
        AddStorage(2, 1, "WH01A", "总仓甲区");
        AddStorage(3, 2, "WH01A1", "甲区一架");
        AddStorage(4, 0, "SH02", "上海仓");
        AddStorage(5, 4, "SH02B", "上海仓乙区");
        AddStorage(6, 9, "LOST", "孤儿仓"); // its parent sorts after it
        AddStorage(9, 0, "BJ09", "北京仓");
        AddStorage(7, 1, "OFF7", "停用仓", 0);
    }
    std::unique_ptr<Tbas_Storage> storage;
};

} // namespace

TEST_F(StorageLookupTest, TreeNestsByParentAndOpensOnlyTheFirstRootFocused)
{
    Frm d;
    d.QueryStorages(QString());
    EXPECT_EQ(Outline(d), (QStringList{"[WH01]总仓", "  [WH01A]总仓甲区", "    [WH01A1]甲区一架", "[SH02]上海仓",
                                       "  [SH02B]上海仓乙区", "[LOST]孤儿仓", "[BJ09]北京仓"}));
    platform::TreeListNode* child = NodeOf(d, "WH01A");
    EXPECT_EQ(child->Texts(d.colID_List->Index()), QStringLiteral("2"));
    EXPECT_EQ(child->DataAs<Tbas_Storage>()->TreeNode(), child);
    EXPECT_EQ(child->ImageIndex(), 1);
    EXPECT_EQ(child->SelectedIndex(), 2);

    // The view shows only the first root open, with the focus.
    QTreeView* view = d.tlTypeList->Tree();
    const QModelIndex top = view->model()->index(0, 0);
    EXPECT_EQ(d.tlTypeList->FocusedNode(), d.tlTypeList->TopNode());
    EXPECT_EQ(view->currentIndex(), top);
    EXPECT_TRUE(view->isExpanded(top));
    EXPECT_FALSE(view->isExpanded(view->model()->index(0, 0, top)) || NodeOf(d, "SH02")->Expanded());
}

TEST_F(StorageLookupTest, ConditionMatchesCodeOrNameInAnyCase)
{
    Frm d;
    d.QueryStorages(QStringLiteral("wh01a"));
    EXPECT_EQ(Outline(d), (QStringList{"[WH01A]总仓甲区", "  [WH01A1]甲区一架"}));
    d.QueryStorages(QStringLiteral("上海"));
    EXPECT_EQ(Outline(d), (QStringList{"[SH02]上海仓", "  [SH02B]上海仓乙区"}));
    d.QueryStorages(QStringLiteral("OFF")); // not in use
    EXPECT_EQ(d.tlTypeList->Count(), 0);
}

TEST_F(StorageLookupTest, PickedRecordOutlivesTheDialogAndTheOthersAreFreed)
{
    QList<QPointer<QObject>> records;
    OnDialog<Frm>([&](Frm& d) {
        EXPECT_EQ(d.focusWidget(), d.tlTypeList->Tree());
        records = Records(d);
        d.tlTypeList->SetFocusedNode(NodeOf(d, "SH02B"));
        d.Frame31->bbtnEnter->click();
    });
    ASSERT_TRUE(SelectStorage(QString(), storage));
    EXPECT_EQ(QStringList({storage->ID, storage->StorageCode, storage->StorageName, storage->Manager, storage->Address}),
              QStringList({"5", "SH02B", "上海仓乙区", "张三", "上海"}));
    EXPECT_EQ(storage->StoragePID, 4);
    EXPECT_EQ(storage->TreeNode(), nullptr); // its node died with the dialog
    ASSERT_EQ(records.size(), 7);
    for (const QPointer<QObject>& r : records)
        EXPECT_EQ(r.isNull(), r.data() != storage.get());
}

TEST_F(StorageLookupTest, CancelReturnsTheEmptyRecordAndSearchingAgainFreesTheLastResult)
{
    QList<QPointer<QObject>> first;
    QList<QPointer<QObject>> second;
    OnDialog<Frm>([&](Frm& d) {
        first = Records(d);
        d.edtCondition->setText(QStringLiteral("  BJ "));
        d.BtnQry->click();
        EXPECT_EQ(Outline(d), QStringList{"[BJ09]北京仓"});
        second = Records(d);
        d.Frame31->bbtnClose->click();
    });
    EXPECT_FALSE(SelectStorage(QStringLiteral("WH"), storage));
    ASSERT_NE(storage, nullptr);
    EXPECT_TRUE(storage->ID.isEmpty() && storage->StorageCode.isEmpty());
    EXPECT_EQ(first.size(), 3);
    for (const QPointer<QObject>& r : first + second)
        EXPECT_TRUE(r.isNull());
}

TEST_F(StorageLookupTest, EmptyTreeIgnoresOkAndTellsOnlyWhenTheUserSearched)
{
    OnDialog<Frm>([](Frm& d) {
        EXPECT_EQ(d.focusWidget(), d.edtCondition); // the opening search says nothing
        d.Frame31->bbtnEnter->click();
        QTest::mouseDClick(d.tlTypeList->Tree()->viewport(), Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        Activate(d);
        d.edtCondition->setFocus();
        QTest::keyClick(d.edtCondition, Qt::Key_Tab); // consumed, searches again
        EXPECT_EQ(d.focusWidget(), d.edtCondition);
        d.edtCondition->setText(QStringLiteral("   ")); // no minimum: everything in use
        QTest::keyClick(d.edtCondition, Qt::Key_Tab);
        EXPECT_EQ(d.tlTypeList->AbsoluteCount(), 7);
        EXPECT_EQ(d.focusWidget(), d.tlTypeList->Tree());
        QTest::keyClick(d.tlTypeList->Tree(), Qt::Key_Escape);
    });
    EXPECT_FALSE(SelectStorage(QStringLiteral("NOSUCH"), storage));
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("未查询到仓库信息!"));
    EXPECT_EQ(app.Boxes()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::Information);
    EXPECT_TRUE(app.Clean());
}

TEST_F(StorageLookupTest, TabOrEnterInTheTreeMoveToOkAndDoubleClickPicks)
{
    OnDialog<Frm>([](Frm& d) {
        Activate(d);
        QTreeView* tree = d.tlTypeList->Tree();
        QTest::keyClick(tree, Qt::Key_Tab);
        EXPECT_EQ(d.focusWidget(), d.Frame31->bbtnEnter);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Return);
        EXPECT_EQ(d.focusWidget(), d.Frame31->bbtnEnter);
        EXPECT_TRUE(d.isVisible()); // the first Enter only moved the focus
        QTest::keyClick(d.Frame31->bbtnEnter, Qt::Key_Return);
    });
    EXPECT_TRUE(SelectStorage(QStringLiteral("WH"), storage));
    EXPECT_EQ(storage->StorageCode, QStringLiteral("WH01A"));

    OnDialog<Frm>([](Frm& d) {
        QTreeView* tree = d.tlTypeList->Tree();
        const QPoint second = tree->visualRect(tree->model()->index(1, 0)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, second);
    });
    EXPECT_TRUE(SelectStorage(QString(), storage));
    EXPECT_EQ(storage->StorageCode, QStringLiteral("SH02"));
}

TEST_F(StorageLookupTest, QuoteIsSearchedLiterallyAndAFailedQueryLeavesTheTreeUsable)
{
    AddStorage(30, 0, "Q'1", "奥'仓");
    Frm d;
    d.QueryStorages(QStringLiteral("q'"));
    EXPECT_EQ(Outline(d), QStringList{"[Q'1]奥'仓"});
    d.QueryStorages(QStringLiteral("X' or 1=1 or 'a'='"));
    EXPECT_EQ(d.tlTypeList->Count(), 0);

    d.QueryStorages(QString());
    Exec(QStringLiteral("drop table bas_Storage"));
    EXPECT_THROW(d.QueryStorages(QString()), platform::EDatabaseError);
    EXPECT_FALSE(d.tlTypeList->IsUpdating());
    EXPECT_EQ(d.tlTypeList->Count(), 0);
    EXPECT_EQ(d.RecordCount(), 1); // only the empty result record is left
}
