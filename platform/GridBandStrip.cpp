#include "platform/GridBandStrip.h"

#include "platform/BandedTableView.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>

namespace platform {

GridBandStrip::GridBandStrip(BandedTableView* view, QWidget* parent) : QWidget(parent), view_(view) {}

QSize GridBandStrip::sizeHint() const
{
    return {100, fontMetrics().height() + 6};
}

void GridBandStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const GridStyle* style = view_->Style(GridStyleSheet::Header);
    const QColor back = style && style->IsAssigned(GridStyle::svColor) ? style->Color() : palette().color(QPalette::Button);
    QColor text = style ? style->EffectiveTextColor() : QColor();
    if (!text.isValid())
        text = palette().color(QPalette::ButtonText);
    p.fillRect(rect(), back);
    QTableView* table = view_->Table();
    QHeaderView* header = table->horizontalHeader();
    for (int b = 0; b < view_->BandCount(); ++b) {
        if (!view_->BandAt(b).visible)
            continue;
        int left = INT_MAX, right = INT_MIN;
        for (int c = 0; c < view_->ColumnCount(); ++c) {
            const GridColumn* col = view_->Column(c);
            if (col->BandIndex() != b || !col->Visible())
                continue;
            const int x = table->viewport()->geometry().left() + header->sectionViewportPosition(c);
            left = std::min(left, x);
            right = std::max(right, x + header->sectionSize(c));
        }
        if (left > right)
            continue;
        const QRect r(left, 0, right - left, height());
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(text);
        p.drawText(r, Qt::AlignCenter, view_->BandAt(b).caption);
    }
}

} // namespace platform
