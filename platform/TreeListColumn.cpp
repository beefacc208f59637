#include "platform/TreeListColumn.h"

#include "platform/TreeList.h"

namespace platform {

TreeListColumn::TreeListColumn(TreeList* tree, const QString& name) : QObject(tree), tree_(tree)
{
    if (!name.isEmpty())
        setObjectName(name);
}

int TreeListColumn::Index() const
{
    for (int i = 0; i < tree_->ColumnCount(); ++i)
        if (tree_->Column(i) == this)
            return i;
    return -1;
}

void TreeListColumn::SetCaption(const QString& caption)
{
    caption_ = caption;
    tree_->ColumnsChanged();
}

void TreeListColumn::SetVisible(bool on)
{
    visible_ = on;
    tree_->ColumnsChanged();
}

void TreeListColumn::SetWidth(int w)
{
    width_ = std::max(0, w);
    tree_->ColumnsChanged();
}

void TreeListColumn::SetMinWidth(int w)
{
    minWidth_ = std::max(0, w);
    tree_->ColumnsChanged();
}

} // namespace platform
