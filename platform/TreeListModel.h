#pragma once
// The item model of a tree list over its nodes (the internal pointer of an index is its node).
#include <QAbstractItemModel>

namespace platform {

class TreeList;
class TreeListNode;

class TreeListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TreeListModel(TreeList* tree);

    TreeListNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TreeListNode* node, int column = 0) const;

    // Bulk changes: the view hears of them once, at the end.
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginInsert(TreeListNode* parent, int row);
    void EndInsert() { endInsertRows(); }
    void BeginRemove(TreeListNode* parent, int first, int last);
    void EndRemove() { endRemoveRows(); }
    void NodeChanged(TreeListNode* node);
    void ColumnsChanged();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QModelIndex ParentIndex(TreeListNode* parent) const;

    TreeList* tree_;
    int columns_ = 0;
};

} // namespace platform
