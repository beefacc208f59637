#pragma once
// The band captions of a banded table view, painted above the column headers: each visible band
// spans the visible columns that belong to it.
#include <QWidget>

namespace platform {

class BandedTableView;

class GridBandStrip : public QWidget {
    Q_OBJECT
public:
    GridBandStrip(BandedTableView* view, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    BandedTableView* view_;
};

} // namespace platform
