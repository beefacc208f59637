// Tree lists as the storage lookup fills them: absolute order, lookups, focus, expansion.
#include "TestPrint.h"
#include "platform/StyleRepository.h"
#include "platform/TreeList.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace platform;

namespace {

struct Storages {
    TreeList tree;
    Storages()
    {
        tree.CreateColumn(QStringLiteral("ColDeptName_list"));
        tree.CreateColumn(QStringLiteral("colID_List"))->SetVisible(false);
        tree.CreateColumn(QStringLiteral("colDeptShotCode_list"))->SetVisible(false);
    }
    TreeListNode* Add(TreeListNode* parent, const QString& id, const QString& name)
    {
        TreeListNode* n = parent ? parent->AddChild() : tree.AddRoot();
        n->SetTexts(0, name);
        n->SetTexts(1, id);
        return n;
    }
};

QStringList Order(const TreeList& t)
{
    QStringList out;
    for (int i = 0; i < t.AbsoluteCount(); ++i)
        out << t.AbsoluteItem(i)->Texts(1);
    return out;
}

} // namespace

TEST(TreeListNodes, AbsoluteOrderPutsEachParentBeforeItsChildren)
{
    Storages s;
    TreeListNode* a = s.Add(nullptr, "1", "A");
    TreeListNode* b = s.Add(nullptr, "2", "B");
    TreeListNode* a1 = s.Add(a, "3", "A1");
    s.Add(b, "4", "B1");
    TreeListNode* a2 = s.Add(a, "5", "A2");
    s.Add(a1, "6", "A1x");
    EXPECT_EQ(Order(s.tree), (QStringList{"1", "3", "6", "5", "2", "4"}));
    EXPECT_EQ(s.tree.AbsoluteCount(), 6);
    EXPECT_EQ(a2->AbsoluteIndex(), 3);
    EXPECT_EQ(b->AbsoluteIndex(), 4);
    EXPECT_EQ(s.tree.TopNode(), a);
    EXPECT_EQ(a1->Parent(), a);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(a1->Level(), 1);
    EXPECT_EQ(a->Count(), 2);
    EXPECT_EQ(a->Item(1), a2);
    EXPECT_EQ(s.tree.AbsoluteItem(6), nullptr);
    EXPECT_EQ(s.tree.AbsoluteItem(-1), nullptr);
    // Appending at the very end keeps the order without a rebuild being visible.
    TreeListNode* c = s.Add(nullptr, "7", "C");
    EXPECT_EQ(c->AbsoluteIndex(), 6);
    a->DeleteChildren();
    EXPECT_EQ(Order(s.tree), (QStringList{"1", "2", "4", "7"}));
    s.tree.Clear();
    EXPECT_EQ(s.tree.AbsoluteCount(), 0);
    EXPECT_EQ(s.tree.TopNode(), nullptr);
}

TEST(TreeListNodes, FindByTextGivesTheFirstInAbsoluteOrder)
{
    Storages s;
    TreeListNode* a = s.Add(nullptr, "1", "A");
    TreeListNode* b = s.Add(nullptr, "2", "B");
    EXPECT_EQ(s.tree.FindNodeByText(1, "2"), b);
    // Kept up to date as nodes come and texts change.
    TreeListNode* dup = s.Add(a, "2", "A-two");
    EXPECT_EQ(s.tree.FindNodeByText(1, "2"), dup); // under A, so before B
    dup->SetTexts(1, "9");
    EXPECT_EQ(s.tree.FindNodeByText(1, "2"), b);
    EXPECT_EQ(s.tree.FindNodeByText(1, "9"), dup);
    EXPECT_EQ(s.tree.FindNodeByText(1, "0"), nullptr);
    a->DeleteChildren();
    EXPECT_EQ(s.tree.FindNodeByText(1, "9"), nullptr);
    s.tree.Clear();
    EXPECT_EQ(s.tree.FindNodeByText(1, "2"), nullptr);
}

TEST(TreeListNodes, ValuesDataAndImages)
{
    Storages s;
    QObject record;
    TreeListNode* n = s.Add(nullptr, "1", "[S01]一号仓");
    n->SetData(&record);
    EXPECT_EQ(n->DataObject(), &record);
    EXPECT_EQ(n->Data(), &record);
    EXPECT_EQ(n->DataAs<QObject>(), &record);
    int plain = 5;
    n->SetData(static_cast<void*>(&plain));
    EXPECT_EQ(n->DataObject(), nullptr);
    EXPECT_EQ(n->Data(), &plain);
    n->SetValues(2, 42);
    EXPECT_EQ(n->Values(2).toInt(), 42);
    EXPECT_EQ(n->Texts(2), "42");
    EXPECT_FALSE(n->Values(7).isValid());
    EXPECT_EQ(n->Texts(7), "");
    n->SetImageIndex(1);
    n->SetSelectedIndex(2);
    ImageList* images = ImageList::BuiltIn(&s.tree);
    EXPECT_EQ(images->Count(), 5);
    EXPECT_EQ(images->Image(0).size(), QSize(16, 16));
    s.tree.SetImages(images);
    auto* model = s.tree.Tree()->model();
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::DecorationRole).isNull());
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "[S01]一号仓");
}

TEST(TreeListFocus, FocusExpandAndSignals)
{
    Storages s;
    s.tree.show();
    QSignalSpy focus(&s.tree, &TreeList::FocusedNodeChanged);
    TreeListNode* a = s.Add(nullptr, "1", "A");
    TreeListNode* a1 = s.Add(a, "2", "A1");
    s.Add(a1, "3", "A1a");
    EXPECT_EQ(s.tree.FocusedNode(), nullptr);
    a->SetFocused(true);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(s.tree.FocusedNode(), a);
    EXPECT_EQ(focus.count(), 1);
    EXPECT_EQ(s.tree.Tree()->currentIndex(), s.tree.IndexOf(a));
    a->Expand(false);
    EXPECT_TRUE(a->Expanded());
    EXPECT_FALSE(a1->Expanded());
    EXPECT_TRUE(s.tree.Tree()->isExpanded(s.tree.IndexOf(a)));
    s.tree.FullExpand();
    EXPECT_TRUE(a1->Expanded());
    EXPECT_TRUE(s.tree.Tree()->isExpanded(s.tree.IndexOf(a1)));
    s.tree.FullCollapse();
    EXPECT_FALSE(a->Expanded());
    EXPECT_FALSE(s.tree.Tree()->isExpanded(s.tree.IndexOf(a)));

    // The keyboard moves the focus and the tree follows.
    a->Expand(true);
    s.tree.Tree()->setFocus();
    QTest::keyClick(s.tree.Tree(), Qt::Key_Down);
    EXPECT_EQ(s.tree.FocusedNode(), a1);
    // A cleared tree has no focused node.
    s.tree.Clear();
    EXPECT_EQ(s.tree.FocusedNode(), nullptr);
}

TEST(TreeListFocus, KeyDownAndDoubleClick)
{
    Storages s;
    s.tree.show();
    TreeListNode* a = s.Add(nullptr, "1", "A");
    a->SetFocused(true);
    std::vector<int> keys;
    QObject::connect(&s.tree, &TreeList::KeyDown, [&](int& key, Qt::KeyboardModifiers) {
        keys.push_back(key);
        if (key == Qt::Key_Return)
            key = 0;
    });
    QSignalSpy dbl(&s.tree, &TreeList::DblClick);
    s.tree.Tree()->setFocus();
    QTest::keyClick(s.tree.Tree(), Qt::Key_Return);
    QTest::keyClick(s.tree.Tree(), Qt::Key_Tab);
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Return, Qt::Key_Tab}));
    QTest::mouseDClick(s.tree.Tree()->viewport(), Qt::LeftButton, {},
                       s.tree.Tree()->visualRect(s.tree.IndexOf(a)).center());
    EXPECT_EQ(dbl.count(), 1);
}

TEST(TreeListUpdate, BulkLoadOfAThousandNodes)
{
    Storages s;
    s.tree.SetStyleSheet(StyleRepository().StyleSheet(1)); // the sheet must be long-lived in real use
    s.tree.SetStyleSheet(nullptr);
    QAbstractItemModelTester tester(s.tree.Tree()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    s.tree.show();
    TreeListNode* top = nullptr;
    {
        const auto update = s.tree.BeginUpdate();
        s.tree.Clear();
        // Every storage goes under the one whose id is its parent id, found by text.
        for (int i = 1; i <= 1000; ++i) {
            const int parentId = i <= 10 ? 0 : (i - 1) / 10;
            TreeListNode* parent = s.tree.FindNodeByText(1, QString::number(parentId));
            TreeListNode* n = parent ? parent->AddChild() : s.tree.AddRoot();
            n->SetTexts(1, QString::number(i));
            n->SetTexts(0, QStringLiteral("[%1]仓库").arg(i));
            if (parent) {
                n->SetImageIndex(1);
                n->SetSelectedIndex(2);
            }
        }
        top = s.tree.TopNode();
        ASSERT_NE(top, nullptr);
        top->Expand(false);
        top->Expand(true);
    }
    s.tree.FullCollapse();
    top->Expand(false);
    top->SetFocused(true);
    EXPECT_EQ(s.tree.AbsoluteCount(), 1000);
    EXPECT_EQ(s.tree.Count(), 10);
    // Pre-order: each node's parent comes before it.
    for (int i = 0; i < s.tree.AbsoluteCount(); ++i) {
        const TreeListNode* n = s.tree.AbsoluteItem(i);
        EXPECT_EQ(n->AbsoluteIndex(), i);
        if (n->Parent()) {
            ASSERT_LT(n->Parent()->AbsoluteIndex(), i);
        }
    }
    EXPECT_EQ(s.tree.FindNodeByText(1, "15")->Parent()->Texts(1), "1");
    EXPECT_TRUE(top->Expanded());
    EXPECT_TRUE(s.tree.Tree()->isExpanded(s.tree.IndexOf(top)));
    EXPECT_FALSE(top->Item(0)->Expanded());
    EXPECT_EQ(s.tree.Tree()->currentIndex(), s.tree.IndexOf(top));
}

TEST(TreeListUpdate, ScopesNestAndEndOnEveryWayOut)
{
    Storages s;
    QTreeView* view = s.tree.Tree();
    {
        const auto outer = s.tree.BeginUpdate();
        {
            const auto inner = s.tree.BeginUpdate();
            s.Add(nullptr, "1", "A");
        }
        EXPECT_TRUE(s.tree.IsUpdating()); // only the outermost end tells the view
        EXPECT_FALSE(view->updatesEnabled());
        s.Add(nullptr, "2", "B");
    }
    EXPECT_FALSE(s.tree.IsUpdating());
    EXPECT_EQ(view->model()->rowCount(), 2);
    try {
        const auto update = s.tree.BeginUpdate();
        s.Add(nullptr, "3", "C");
        throw std::runtime_error("load failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(s.tree.IsUpdating());
    EXPECT_TRUE(view->updatesEnabled());
    EXPECT_EQ(view->model()->rowCount(), 3);
}
