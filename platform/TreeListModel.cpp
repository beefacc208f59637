#include "platform/TreeListModel.h"

#include "platform/ImageList.h"
#include "platform/TreeList.h"

#include <QPainter>

namespace platform {

TreeListModel::TreeListModel(TreeList* tree) : QAbstractItemModel(tree), tree_(tree) {}

TreeListNode* TreeListModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TreeListNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TreeListModel::IndexOf(const TreeListNode* node, int column) const
{
    if (!node || node == tree_->Nodes().Root())
        return {};
    return createIndex(node->Index(), column, const_cast<TreeListNode*>(node));
}

QModelIndex TreeListModel::ParentIndex(TreeListNode* parent) const
{
    return parent && parent != tree_->Nodes().Root() ? IndexOf(parent) : QModelIndex();
}

void TreeListModel::BeginInsert(TreeListNode* parent, int row)
{
    beginInsertRows(ParentIndex(parent), row, row);
}

void TreeListModel::BeginRemove(TreeListNode* parent, int first, int last)
{
    beginRemoveRows(ParentIndex(parent), first, last);
}

void TreeListModel::NodeChanged(TreeListNode* node)
{
    if (columns_ > 0)
        emit dataChanged(IndexOf(node, 0), IndexOf(node, columns_ - 1));
}

void TreeListModel::ColumnsChanged()
{
    beginResetModel();
    columns_ = tree_->ColumnCount();
    endResetModel();
}

QModelIndex TreeListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= columns_ || row < 0)
        return {};
    TreeListNode* p = parent.isValid() ? NodeOf(parent) : tree_->Nodes().Root();
    if (!p || row >= p->Count())
        return {};
    return createIndex(row, column, p->children_[size_t(row)].get());
}

QModelIndex TreeListModel::parent(const QModelIndex& index) const
{
    TreeListNode* node = NodeOf(index);
    if (!node)
        return {};
    return ParentIndex(node->parent_);
}

int TreeListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    TreeListNode* p = parent.isValid() ? NodeOf(parent) : tree_->Nodes().Root();
    return p ? p->Count() : 0;
}

int TreeListModel::columnCount(const QModelIndex&) const
{
    return columns_;
}

QVariant TreeListModel::data(const QModelIndex& index, int role) const
{
    TreeListNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->Texts(index.column());
    case Qt::EditRole:
        return node->Values(index.column());
    case Qt::DecorationRole: {
        if (index.column() != 0)
            return {};
        const ImageList* images = tree_->Images();
        const ImageList* states = tree_->StateImages();
        const int image = node->Focused() && node->SelectedIndex() >= 0 ? node->SelectedIndex() : node->ImageIndex();
        const QPixmap main = images ? images->Image(image) : QPixmap();
        const QPixmap state = states ? states->Image(node->StateIndex()) : QPixmap();
        if (state.isNull())
            return main.isNull() ? QVariant() : QVariant(QIcon(main));
        // State image first, then the node image, side by side.
        QPixmap both(state.width() + (main.isNull() ? 0 : main.width() + 2), std::max(state.height(), main.height()));
        both.fill(Qt::transparent);
        QPainter p(&both);
        p.drawPixmap(0, 0, state);
        if (!main.isNull())
            p.drawPixmap(state.width() + 2, 0, main);
        p.end();
        return QIcon(both);
    }
    default:
        return {};
    }
}

QVariant TreeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const TreeListColumn* c = tree_->Column(section);
    return c ? c->Caption() : QVariant();
}

Qt::ItemFlags TreeListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace platform
