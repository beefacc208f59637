#include "platform/GridFooter.h"

#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <map>

namespace platform {

GridFooter::GridFooter(TableView* view, QWidget* parent) : QWidget(parent), view_(view)
{
    setAutoFillBackground(false);
}

int GridFooter::Lines() const
{
    std::map<int, int> perColumn;
    int lines = 1;
    const DataController* dc = view_->DataController();
    for (int i = 0; i < dc->FooterSummaryCount(); ++i)
        if (const GridColumn* c = dc->FooterSummaryItem(i)->Column())
            lines = std::max(lines, ++perColumn[c->Index()]);
    return lines;
}

QSize GridFooter::sizeHint() const
{
    const int line = fontMetrics().height() + 6;
    return {100, line * Lines() + 2};
}

QString GridFooter::TextUnder(int itemIndex) const
{
    QStringList texts;
    const DataController* dc = view_->DataController();
    for (int i = 0; i < dc->FooterSummaryCount(); ++i) {
        const GridColumn* c = dc->FooterSummaryItem(i)->Column();
        if (c && c->Index() == itemIndex)
            texts << dc->FooterSummaryText(i);
    }
    return texts.join(u'\n');
}

void GridFooter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const GridStyle* style = view_->Style(GridStyleSheet::Footer);
    QColor back = style && style->IsAssigned(GridStyle::svColor) ? style->Color() : palette().color(QPalette::Window);
    QColor textColor = style ? style->EffectiveTextColor() : QColor();
    if (!textColor.isValid())
        textColor = palette().color(QPalette::WindowText);
    QFont font = this->font();
    if (style && style->IsAssigned(GridStyle::svFont))
        font = style->Font().resolve(font);
    p.fillRect(rect(), back);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
    p.setFont(font);

    QTableView* table = view_->Table();
    QHeaderView* header = table->horizontalHeader();
    const int left = table->viewport()->geometry().left();
    const int line = QFontMetrics(font).height() + 6;
    std::map<int, int> used;
    const DataController* dc = view_->DataController();
    for (int i = 0; i < dc->FooterSummaryCount(); ++i) {
        const FooterSummary* s = dc->FooterSummaryItem(i);
        const GridColumn* c = s->Column();
        if (!c || !c->Visible())
            continue;
        const int section = c->Index();
        const int x = left + header->sectionViewportPosition(section);
        const int w = header->sectionSize(section);
        const int row = used[section]++;
        const QRect cell(x + 1, 2 + row * line, w - 2, line - 2);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.setPen(textColor);
        p.drawText(cell.adjusted(3, 0, -3, 0), int(c->FooterAlignment()), dc->FooterSummaryText(i));
    }
}

} // namespace platform
