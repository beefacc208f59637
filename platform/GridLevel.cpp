#include "platform/GridLevel.h"

#include "platform/Grid.h"
#include "platform/TableView.h"

namespace platform {

GridLevel::GridLevel(Grid* grid, const QString& name) : QObject(grid), grid_(grid)
{
    if (!name.isEmpty())
        setObjectName(name);
}

void GridLevel::SetCaption(const QString& caption)
{
    if (caption_ == caption)
        return;
    caption_ = caption;
    emit CaptionChanged(caption_);
    grid_->LevelChanged(this);
}

void GridLevel::SetGridView(TableView* view)
{
    view_ = view;
    grid_->LevelChanged(this);
}

} // namespace platform
