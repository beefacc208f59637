#include "platform/TreeListNodes.h"

#include "platform/TreeList.h"

namespace platform {

TreeListNodes::TreeListNodes(TreeList* tree) : tree_(tree), root_(new TreeListNode(this, nullptr)) {}

TreeListNodes::~TreeListNodes() = default;

int TreeListNodes::Count() const { return root_->Count(); }

TreeListNode* TreeListNodes::Item(int index) const { return root_->Item(index); }

TreeListNode* TreeListNodes::AddRoot() { return AddChild(nullptr); }

TreeListNode* TreeListNodes::AddChild(TreeListNode* parent)
{
    TreeListNode* p = parent ? parent : root_.get();
    const int row = p->Count();
    tree_->NodeAboutToBeAdded(p, row);
    auto* node = new TreeListNode(this, p);
    node->index_ = row;
    p->children_.emplace_back(node);
    NodeAdded(node);
    tree_->NodeAdded(node);
    return node;
}

void TreeListNodes::Clear()
{
    tree_->NodesAboutToBeRemoved(root_.get(), 0, std::max(0, Count() - 1), true);
    root_->children_.clear();
    total_ = 0;
    textIndex_.clear();
    StructureChanged();
    tree_->NodesRemoved(true);
}

void TreeListNodes::StructureChanged()
{
    flatDirty_ = true;
}

void TreeListNodes::NodeAdded(TreeListNode* node)
{
    ++total_;
    // A new node is the last of its parent's subtree; when every ancestor is the last child of
    // its own parent, it is the last node of all and the flat list just grows.
    if (!flatDirty_) {
        bool atEnd = true;
        for (const TreeListNode* a = node->parent_; a && a != root_.get(); a = a->parent_)
            if (a->index_ != a->parent_->Count() - 1)
                atEnd = false;
        if (atEnd) {
            node->absoluteIndex_ = int(flat_.size());
            flat_.push_back(node);
        } else {
            flatDirty_ = true;
        }
    }
}

void TreeListNodes::NodeRemoving(TreeListNode* node)
{
    --total_;
    if (!textIndex_.isEmpty()) {
        for (auto it = textIndex_.begin(); it != textIndex_.end(); ++it)
            it->remove(node->Texts(it.key()), node);
    }
    for (const auto& c : node->children_)
        NodeRemoving(c.get());
    flatDirty_ = true;
}

void TreeListNodes::TextChanged(TreeListNode* node, int column, const QString& oldText, const QString& newText)
{
    auto it = textIndex_.find(column);
    if (it == textIndex_.end() || oldText == newText)
        return;
    it->remove(oldText, node);
    it->insert(newText, node);
}

void TreeListNodes::EnsureFlat() const
{
    if (!flatDirty_)
        return;
    flat_.clear();
    flat_.reserve(size_t(std::max(0, total_)));
    // Pre-order without recursion: deep trees do not exhaust the stack.
    std::vector<std::pair<const TreeListNode*, size_t>> stack;
    stack.emplace_back(root_.get(), 0);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->children_.size()) {
            stack.pop_back();
            continue;
        }
        TreeListNode* child = node->children_[next++].get();
        child->absoluteIndex_ = int(flat_.size());
        flat_.push_back(child);
        stack.emplace_back(child, 0);
    }
    flatDirty_ = false;
}

int TreeListNodes::AbsoluteCount() const
{
    return total_;
}

TreeListNode* TreeListNodes::AbsoluteItem(int index) const
{
    EnsureFlat();
    return index >= 0 && index < int(flat_.size()) ? flat_[size_t(index)] : nullptr;
}

bool TreeListNodes::Before(const TreeListNode* a, const TreeListNode* b)
{
    if (a == b)
        return false;
    std::vector<const TreeListNode*> pa, pb;
    for (const TreeListNode* n = a; n; n = n->parent_)
        pa.push_back(n);
    for (const TreeListNode* n = b; n; n = n->parent_)
        pb.push_back(n);
    // Walk down from the common root until the paths part.
    size_t i = pa.size(), j = pb.size();
    while (i > 0 && j > 0 && pa[i - 1] == pb[j - 1]) {
        --i;
        --j;
    }
    if (i == 0)
        return true; // a is an ancestor of b
    if (j == 0)
        return false; // b is an ancestor of a
    return pa[i - 1]->index_ < pb[j - 1]->index_;
}

TreeListNode* TreeListNodes::FindNodeByText(int column, const QString& text) const
{
    auto it = textIndex_.find(column);
    if (it == textIndex_.end()) {
        QMultiHash<QString, TreeListNode*> index;
        index.reserve(total_);
        std::vector<TreeListNode*> todo;
        for (const auto& c : root_->children_)
            todo.push_back(c.get());
        while (!todo.empty()) {
            TreeListNode* n = todo.back();
            todo.pop_back();
            index.insert(n->Texts(column), n);
            for (const auto& c : n->children_)
                todo.push_back(c.get());
        }
        it = textIndex_.insert(column, index);
    }
    TreeListNode* best = nullptr;
    for (auto m = it->constFind(text); m != it->cend() && m.key() == text; ++m)
        if (!best || Before(m.value(), best))
            best = m.value();
    return best;
}

} // namespace platform

