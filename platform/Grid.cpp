#include "platform/Grid.h"

#include <QLabel>
#include <QTableView>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace platform {

Grid::Grid(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("levelCaption"));
    caption_->setContentsMargins(6, 3, 6, 3);
    caption_->setAutoFillBackground(true);
    QPalette pal = caption_->palette();
    pal.setColor(QPalette::Window, QColor(0xDD, 0xE4, 0xEE));
    caption_->setPalette(pal);
    caption_->hide();
    layout->addWidget(caption_);
    auto* host = new QWidget(this);
    stack_ = new QStackedLayout(host);
    stack_->setContentsMargins(0, 0, 0, 0);
    empty_ = new QWidget(host);
    stack_->addWidget(empty_);
    layout->addWidget(host, 1);
    setFocusPolicy(Qt::NoFocus);
}

Grid::~Grid()
{
    for (GridLevel* l : levels_)
        disconnect(l, nullptr, this, nullptr);
    // Views go first: their widgets live in the stack.
    const auto views = findChildren<TableView*>(QString(), Qt::FindDirectChildrenOnly);
    for (TableView* v : views)
        delete v;
}

void Grid::ViewCreated(TableView* view)
{
    stack_->addWidget(view->Widget());
    if (levels_.isEmpty())
        CreateLevel()->SetGridView(view);
    UpdateShown();
}

GridLevel* Grid::CreateLevel(const QString& name)
{
    auto* level = new GridLevel(this, name);
    levels_.push_back(level);
    connect(level, &QObject::destroyed, this, [this, level] {
        levels_.removeOne(level);
        if (active_ == level)
            active_ = nullptr;
        UpdateShown();
    });
    UpdateShown();
    return level;
}

GridLevel* Grid::LevelAt(int index) const
{
    return index >= 0 && index < levels_.size() ? levels_[index] : nullptr;
}

GridLevel* Grid::ActiveLevel() const
{
    if (active_)
        return active_;
    return levels_.isEmpty() ? nullptr : levels_.first();
}

void Grid::SetActiveLevel(GridLevel* level)
{
    if (level && !levels_.contains(level))
        return;
    active_ = level;
    UpdateShown();
}

TableView* Grid::ActiveView() const
{
    GridLevel* level = ActiveLevel();
    return level ? level->GridView() : nullptr;
}

void Grid::SetCaptionVisible(bool on)
{
    captionVisible_ = on;
    UpdateShown();
}

void Grid::LevelChanged(GridLevel*)
{
    UpdateShown();
}

void Grid::UpdateShown()
{
    GridLevel* level = ActiveLevel();
    TableView* view = ActiveView();
    stack_->setCurrentWidget(view && view->Widget() ? view->Widget() : empty_);
    const QString caption = level ? level->Caption() : QString();
    caption_->setText(caption);
    caption_->setVisible(captionVisible_ && !caption.isEmpty());
    if (view)
        setFocusProxy(view->Table());
}

} // namespace platform
