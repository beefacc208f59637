#pragma once
// A level of a grid: a caption and the view shown at that level.
#include <QObject>
#include <QPointer>
#include <QString>

namespace platform {

class Grid;
class TableView;

class GridLevel : public QObject {
    Q_OBJECT
public:
    explicit GridLevel(Grid* grid, const QString& name = {});

    Grid* GetGrid() const { return grid_; }
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TableView* GridView() const { return view_; }
    void SetGridView(TableView* view);

signals:
    void CaptionChanged(const QString& caption);

private:
    Grid* grid_;
    QString caption_;
    QPointer<TableView> view_;
};

} // namespace platform
