#include "platform/TreeListNode.h"

#include "platform/core/Dataset.h"
#include "platform/TreeList.h"
#include "platform/TreeListNodes.h"

namespace platform {

TreeListNode::TreeListNode(TreeListNodes* nodes, TreeListNode* parent) : nodes_(nodes), parent_(parent) {}

TreeListNode::~TreeListNode() = default;

TreeList* TreeListNode::Tree() const { return nodes_->Tree(); }

TreeListNode* TreeListNode::Parent() const
{
    return parent_ == nodes_->Root() ? nullptr : parent_;
}

int TreeListNode::Level() const
{
    int level = 0;
    for (const TreeListNode* p = Parent(); p; p = p->Parent())
        ++level;
    return level;
}

int TreeListNode::AbsoluteIndex() const
{
    nodes_->EnsureFlat();
    return absoluteIndex_;
}

TreeListNode* TreeListNode::Item(int index) const
{
    return index >= 0 && index < Count() ? children_[size_t(index)].get() : nullptr;
}

QVector<TreeListNode*> TreeListNode::Children() const
{
    QVector<TreeListNode*> out;
    out.reserve(Count());
    for (const auto& c : children_)
        out << c.get();
    return out;
}

TreeListNode* TreeListNode::AddChild()
{
    return nodes_->AddChild(this);
}

void TreeListNode::DeleteChildren()
{
    if (children_.empty())
        return;
    TreeList* tree = Tree();
    tree->NodesAboutToBeRemoved(this, 0, Count() - 1, false);
    for (const auto& c : children_)
        nodes_->NodeRemoving(c.get());
    children_.clear();
    nodes_->StructureChanged();
    tree->NodesRemoved(false);
}

QVariant TreeListNode::Values(int column) const
{
    return column >= 0 && column < values_.size() ? values_[column] : QVariant();
}

void TreeListNode::SetValues(int column, const QVariant& value)
{
    if (column < 0)
        return;
    const QString oldText = Texts(column);
    if (column >= values_.size())
        values_.resize(column + 1);
    values_[column] = value;
    nodes_->TextChanged(this, column, oldText, Texts(column));
    Tree()->NodeChanged(this);
}

QString TreeListNode::Texts(int column) const
{
    return VariantToText(Values(column));
}

void TreeListNode::SetTexts(int column, const QString& text)
{
    SetValues(column, text);
}

void TreeListNode::SetData(void* data)
{
    data_ = data;
    object_ = nullptr;
}

void TreeListNode::SetData(QObject* object)
{
    data_ = object;
    object_ = object;
}

void TreeListNode::SetImageIndex(int i)
{
    imageIndex_ = i;
    Tree()->NodeChanged(this);
}

void TreeListNode::SetSelectedIndex(int i)
{
    selectedIndex_ = i;
    Tree()->NodeChanged(this);
}

void TreeListNode::SetStateIndex(int i)
{
    stateIndex_ = i;
    Tree()->NodeChanged(this);
}

namespace {

void SetExpandedFlags(TreeListNode* node, bool on, bool recursive, bool TreeListNode::*flag)
{
    node->*flag = on;
    if (recursive)
        for (TreeListNode* c : node->Children())
            SetExpandedFlags(c, on, true, flag);
}

} // namespace

void TreeListNode::Expand(bool recursive)
{
    SetExpandedFlags(this, true, recursive, &TreeListNode::expanded_);
    Tree()->NodeExpandChanged(this, recursive);
}

void TreeListNode::Collapse(bool recursive)
{
    SetExpandedFlags(this, false, recursive, &TreeListNode::expanded_);
    Tree()->NodeExpandChanged(this, recursive);
}

bool TreeListNode::Focused() const
{
    return Tree()->FocusedNode() == this;
}

void TreeListNode::SetFocused(bool on)
{
    if (on)
        Tree()->SetFocusedNode(this);
    else if (Focused())
        Tree()->SetFocusedNode(nullptr);
}

} // namespace platform
