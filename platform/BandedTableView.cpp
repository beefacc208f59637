#include "platform/BandedTableView.h"

#include "platform/GridBandStrip.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

namespace platform {

BandedTableView::BandedTableView(Grid* grid, const QString& name) : TableView(grid, name)
{
    auto* strip = new GridBandStrip(this, nullptr);
    strip->setObjectName(QStringLiteral("bands"));
    InsertStrip(strip);
    strip->setVisible(false);
    connect(Table()->horizontalHeader(), &QHeaderView::sectionResized, strip, qOverload<>(&QWidget::update));
    connect(Table()->horizontalScrollBar(), &QScrollBar::valueChanged, strip, qOverload<>(&QWidget::update));
}

int BandedTableView::AddBand(const QString& caption)
{
    bands_.push_back({caption, true});
    UpdateBands();
    return int(bands_.size()) - 1;
}

void BandedTableView::SetBandCaption(int index, const QString& caption)
{
    if (index < 0 || index >= bands_.size())
        return;
    bands_[index].caption = caption;
    UpdateBands();
}

void BandedTableView::SetBandVisible(int index, bool visible)
{
    if (index < 0 || index >= bands_.size())
        return;
    bands_[index].visible = visible;
    UpdateBands();
}

void BandedTableView::UpdateBands()
{
    bool any = false;
    for (const Band& b : bands_)
        any = any || (b.visible && !b.caption.isEmpty());
    if (auto* strip = Widget()->findChild<GridBandStrip*>(QStringLiteral("bands"))) {
        strip->setVisible(any);
        strip->update();
    }
}

} // namespace platform
