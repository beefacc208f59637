#pragma once
// The node collection of a tree list: the root nodes and the flat, absolute list of all nodes
// (each parent before its children). The flat list is rebuilt once after structure changes,
// when first asked for, so adding many nodes costs no more than walking them once.
#include "platform/TreeListNode.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace platform {

class TreeList;

class TreeListNodes {
public:
    explicit TreeListNodes(TreeList* tree);
    ~TreeListNodes();

    TreeList* Tree() const { return tree_; }
    int Count() const; // root nodes
    TreeListNode* Item(int index) const;
    TreeListNode* AddRoot();
    TreeListNode* AddChild(TreeListNode* parent); // parent nullptr: a root
    void Clear();

    int AbsoluteCount() const;
    TreeListNode* AbsoluteItem(int index) const; // nullptr outside
    TreeListNode* TopNode() const { return Item(0); }

    // The first node in absolute order whose text in a column equals text, or nullptr. An index
    // per column is built on first use and kept up to date, so lookups stay cheap while nodes
    // are added.
    TreeListNode* FindNodeByText(int column, const QString& text) const;

private:
    friend class TreeListNode;
    friend class TreeListModel;
    friend class TreeList;
    TreeListNode* Root() const { return root_.get(); }
    void StructureChanged();
    void EnsureFlat() const;
    void TextChanged(TreeListNode* node, int column, const QString& oldText, const QString& newText);
    void NodeAdded(TreeListNode* node);
    void NodeRemoving(TreeListNode* node);
    // true when a comes before b in absolute order.
    static bool Before(const TreeListNode* a, const TreeListNode* b);

    TreeList* tree_;
    std::unique_ptr<TreeListNode> root_;
    mutable std::vector<TreeListNode*> flat_;
    mutable bool flatDirty_ = false;
    int total_ = 0;
    mutable QHash<int, QMultiHash<QString, TreeListNode*>> textIndex_;
};

} // namespace platform
