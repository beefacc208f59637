#include "host/services/TablePrinter.h"

#include "host/services/HostLook.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QDate>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeView>
#include <functional>

namespace host {

QFont PrintFont(int pointSize)
{
    static const QString family = [] {
        const QString f = ChineseFamily();
        return f.isEmpty() ? QStringLiteral("宋体") : f;
    }();
    QFont f(family, pointSize);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QAbstractItemView* FindItemView(QWidget* component)
{
    if (!component)
        return nullptr;
    if (auto* v = qobject_cast<QAbstractItemView*>(component))
        return v;
    // A visible view first: a grid may keep hidden views of its other levels.
    const auto views = component->findChildren<QAbstractItemView*>();
    for (QAbstractItemView* v : views)
        if (v->isVisibleTo(component) && v->model())
            return v;
    for (QAbstractItemView* v : views)
        if (v->model())
            return v;
    return nullptr;
}

namespace {

QHeaderView* HeaderOf(QAbstractItemView* view)
{
    if (auto* t = qobject_cast<QTableView*>(view))
        return t->horizontalHeader();
    if (auto* t = qobject_cast<QTreeView*>(view))
        return t->header();
    return nullptr;
}

QString CellText(QAbstractItemView* view, const QModelIndex& index)
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (auto* d = qobject_cast<QStyledItemDelegate*>(view->itemDelegateForIndex(index)))
        return d->displayText(value, view->locale());
    return value.toString();
}

void CollectRows(QAbstractItemView* view, const QModelIndex& parent, const QVector<int>& columns, int depth,
                 QVector<QStringList>& out)
{
    const QAbstractItemModel* model = view->model();
    auto* tree = qobject_cast<QTreeView*>(view);
    auto* table = qobject_cast<QTableView*>(view);
    const int rows = model->rowCount(parent);
    for (int r = 0; r < rows; ++r) {
        if (table && table->isRowHidden(r))
            continue;
        if (tree && tree->isRowHidden(r, parent))
            continue;
        QStringList line;
        line.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            QString text = CellText(view, model->index(r, columns[i], parent));
            if (i == 0 && depth > 0)
                text.prepend(QString(depth * 2, u' '));
            line << text;
        }
        out << line;
        if (tree) {
            const QModelIndex child = model->index(r, 0, parent);
            if (model->hasChildren(child))
                CollectRows(view, child, columns, depth + 1, out);
        }
    }
}

QString TitleFor(QWidget* w)
{
    for (QWidget* p = w; p; p = p->parentWidget())
        if (!p->windowTitle().isEmpty())
            return p->windowTitle();
    return {};
}

} // namespace

PrintTable CollectTable(QAbstractItemView* view)
{
    PrintTable t;
    if (!view || !view->model())
        return t;
    const QAbstractItemModel* model = view->model();
    t.title = TitleFor(view);
    QVector<int> columns;
    QHeaderView* header = HeaderOf(view);
    const int count = model->columnCount();
    if (header) {
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (logical < 0 || logical >= count || header->isSectionHidden(logical))
                continue;
            columns << logical;
            t.weights << qMax(20, header->sectionSize(logical));
        }
    } else {
        for (int c = 0; c < count; ++c) {
            columns << c;
            t.weights << 100;
        }
    }
    for (int c : columns) {
        t.headers << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        Qt::Alignment a = Qt::AlignLeft;
        if (model->rowCount() > 0) {
            const QVariant v = model->index(0, c).data(Qt::TextAlignmentRole);
            // Models hand the alignment over as flags or as a plain number.
            if (v.metaType() == QMetaType::fromType<Qt::Alignment>())
                a = v.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
            else if (v.isValid())
                a = Qt::Alignment(v.toInt()) & Qt::AlignHorizontal_Mask;
        }
        t.alignments << (a ? a : Qt::AlignLeft);
    }
    CollectRows(view, QModelIndex(), columns, 0, t.rows);
    return t;
}

TablePrinter::TablePrinter(PrintTable table) : table_(std::move(table)), font_(PrintFont()) {}

namespace {

struct Metrics {
    QFont body, bold, title;
    qreal rowHeight, titleHeight, subtitleHeight, footerHeight;
};

Metrics MakeMetrics(QPainter& painter, const QFont& base)
{
    Metrics m;
    m.body = base;
    m.bold = base;
    m.bold.setBold(true);
    m.title = base;
    m.title.setPointSizeF(base.pointSizeF() * 1.6);
    m.title.setBold(true);
    QPaintDevice* dev = painter.device();
    const QFontMetricsF fm(m.body, dev);
    const QFontMetricsF tm(m.title, dev);
    m.rowHeight = fm.height() * 1.6;
    m.titleHeight = tm.height() * 1.8;
    m.subtitleHeight = fm.height() * 1.5;
    m.footerHeight = fm.height() * 2.0;
    return m;
}

} // namespace

TablePrinter::Layout TablePrinter::ComputeLayout(QPainter& painter, const QRectF& page) const
{
    const Metrics m = MakeMetrics(painter, font_);
    Layout l;
    l.rowHeight = m.rowHeight;
    // The first page carries the title; every page carries the column captions and a footer.
    const qreal body = page.height() - m.footerHeight - m.rowHeight;
    const qreal first = body - m.titleHeight - m.subtitleHeight;
    l.firstPageRows = qMax(1, int(first / m.rowHeight));
    l.otherPageRows = qMax(1, int(body / m.rowHeight));
    const int rows = int(table_.rows.size());
    if (rows <= l.firstPageRows)
        l.pageCount = 1;
    else
        l.pageCount = 1 + (rows - l.firstPageRows + l.otherPageRows - 1) / l.otherPageRows;
    return l;
}

int TablePrinter::Render(QPagedPaintDevice& device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QRectF area(0, 0, page.width(), page.height());
    const int pages = Render(painter, area, [&] { return device.newPage(); });
    painter.end();
    return pages;
}

int TablePrinter::Render(QPainter& painter, const QRectF& page, const std::function<bool()>& newPage) const
{
    const Metrics m = MakeMetrics(painter, font_);
    const Layout layout = ComputeLayout(painter, page);
    const int columns = int(table_.headers.size());

    // Column edges: the screen widths scaled to the page width.
    QVector<qreal> edges{page.left()};
    qreal total = 0;
    for (qreal w : table_.weights)
        total += w;
    for (int c = 0; c < columns; ++c)
        edges << edges.back() + (total > 0 ? table_.weights.value(c) / total * page.width() : 0);

    const qreal pad = QFontMetricsF(m.body, painter.device()).averageCharWidth() * 0.5;
    const QString printed = QStringLiteral("打印日期：%1").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    int row = 0;
    for (int p = 0; p < layout.pageCount; ++p) {
        if (p > 0 && newPage && !newPage())
            return p;
        qreal y = page.top();
        if (p == 0) {
            painter.setFont(m.title);
            painter.drawText(QRectF(page.left(), y, page.width(), m.titleHeight), Qt::AlignCenter, table_.title);
            y += m.titleHeight;
            painter.setFont(m.body);
            const QRectF sub(page.left(), y, page.width(), m.subtitleHeight);
            painter.drawText(sub, Qt::AlignLeft | Qt::AlignVCenter, table_.subtitle);
            painter.drawText(sub, Qt::AlignRight | Qt::AlignVCenter, printed);
            y += m.subtitleHeight;
        }
        // Column captions, shaded, on every page.
        painter.setFont(m.bold);
        painter.setPen(QPen(Qt::black, 0));
        const QRectF head(page.left(), y, page.width(), m.rowHeight);
        painter.fillRect(head, QColor(0xE8, 0xEC, 0xF2));
        for (int c = 0; c < columns; ++c) {
            const QRectF cell(edges[c], y, edges[c + 1] - edges[c], m.rowHeight);
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(pad, 0, -pad, 0), Qt::AlignCenter,
                             QFontMetricsF(m.bold, painter.device()).elidedText(table_.headers[c], Qt::ElideRight, cell.width() - 2 * pad));
        }
        y += m.rowHeight;
        painter.setFont(m.body);
        const QFontMetricsF fm(m.body, painter.device());
        const int take = p == 0 ? layout.firstPageRows : layout.otherPageRows;
        for (int i = 0; i < take && row < table_.rows.size(); ++i, ++row) {
            const QStringList& line = table_.rows[row];
            for (int c = 0; c < columns; ++c) {
                const QRectF cell(edges[c], y, edges[c + 1] - edges[c], m.rowHeight);
                painter.drawRect(cell);
                const QString text = fm.elidedText(line.value(c), Qt::ElideRight, cell.width() - 2 * pad);
                painter.drawText(cell.adjusted(pad, 0, -pad, 0), table_.alignments.value(c, Qt::AlignLeft) | Qt::AlignVCenter, text);
            }
            y += m.rowHeight;
        }
        painter.drawText(QRectF(page.left(), page.bottom() - m.footerHeight, page.width(), m.footerHeight), Qt::AlignCenter,
                         QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(layout.pageCount));
    }
    return layout.pageCount;
}

} // namespace host
