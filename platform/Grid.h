#pragma once
// A grid: a widget holding levels, each with a caption and a view; it shows the active level's
// view, with the level's caption in a strip above it when the caption is not empty.
// Exact class identity: IsExactly<Grid>.
#include "platform/BandedTableView.h"
#include "platform/GridLevel.h"
#include "platform/TableView.h"

#include <QVector>
#include <QWidget>

class QLabel;
class QStackedLayout;

namespace platform {

class Grid : public QWidget {
    Q_OBJECT
public:
    using Level = GridLevel;

    explicit Grid(QWidget* parent = nullptr);
    ~Grid() override;

    // Views belong to the grid. The first view made while the grid has no level gets a level.
    template <class V = TableView>
    V* CreateView(const QString& name = {})
    {
        auto* v = new V(this, name);
        ViewCreated(v);
        return v;
    }
    TableView* CreateTableView(const QString& name = {}) { return CreateView<TableView>(name); }
    BandedTableView* CreateBandedTableView(const QString& name = {}) { return CreateView<BandedTableView>(name); }

    GridLevel* CreateLevel(const QString& name = {});
    int LevelCount() const { return int(levels_.size()); }
    GridLevel* LevelAt(int index) const; // nullptr outside
    GridLevel* ActiveLevel() const;      // the chosen level, else the first, else nullptr
    void SetActiveLevel(GridLevel* level);
    // The active level's view, or nullptr.
    TableView* ActiveView() const;

    // Shows or hides the caption strip (shown for a non-empty caption by default).
    void SetCaptionVisible(bool on);

    // Internal: a level's view or caption changed.
    void LevelChanged(GridLevel* level);

private:
    void ViewCreated(TableView* view);
    void UpdateShown();

    QVector<GridLevel*> levels_;
    GridLevel* active_ = nullptr;
    QLabel* caption_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    QWidget* empty_ = nullptr;
    bool captionVisible_ = true;
};

} // namespace platform
