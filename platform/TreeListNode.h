#pragma once
// A node of a tree list: one value per column (texts are their text form), a data pointer that
// is not owned, image indexes, children, expanded and focused state. Nodes belong to their
// parent (roots to the tree's node collection) and die with it.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

namespace platform {

class TreeList;
class TreeListNodes;

class TreeListNode {
public:
    ~TreeListNode();
    TreeListNode(const TreeListNode&) = delete;
    TreeListNode& operator=(const TreeListNode&) = delete;

    TreeList* Tree() const;
    // nullptr for a root node.
    TreeListNode* Parent() const;
    int Level() const;              // 0 for roots
    int Index() const { return index_; } // position among its siblings
    // Position in the flat list of all nodes, each parent before its children.
    int AbsoluteIndex() const;

    int Count() const { return int(children_.size()); }
    bool HasChildren() const { return !children_.empty(); }
    TreeListNode* Item(int index) const; // child, nullptr outside
    QVector<TreeListNode*> Children() const;
    TreeListNode* AddChild();
    void DeleteChildren();

    // Values by column index; a node has no value for a column it was never given (null).
    QVariant Values(int column) const;
    void SetValues(int column, const QVariant& value);
    QString Texts(int column) const; // "" for null
    void SetTexts(int column, const QString& text);

    // Not owned. The QObject overload also remembers the object for DataObject().
    void* Data() const { return data_; }
    void SetData(void* data);
    void SetData(QObject* object);
    void SetData(std::nullptr_t) { SetData(static_cast<void*>(nullptr)); }
    QObject* DataObject() const { return object_; }
    template <class T>
    T* DataAs() const { return qobject_cast<T*>(object_.data()); }

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int i);
    // Image while the node is focused.
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int i);
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int i);

    bool Expanded() const { return expanded_; }
    void Expand(bool recursive);
    void Collapse(bool recursive);

    bool Focused() const;
    void SetFocused(bool on);

private:
    friend class TreeListNodes;
    friend class TreeList;
    friend class TreeListModel;
    TreeListNode(TreeListNodes* nodes, TreeListNode* parent);

    TreeListNodes* nodes_;
    TreeListNode* parent_; // the collection's hidden root for root nodes
    int index_ = 0;
    mutable int absoluteIndex_ = -1;
    std::vector<std::unique_ptr<TreeListNode>> children_;
    QVector<QVariant> values_;
    void* data_ = nullptr;
    QPointer<QObject> object_;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    int stateIndex_ = -1;
    bool expanded_ = false;
};

} // namespace platform
