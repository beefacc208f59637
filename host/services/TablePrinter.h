#pragma once
// Prints what a grid shows: its visible columns in screen order with their captions, and every
// row of its model (tree rows depth first), page by page. No UI here: the printer service
// collects the table and asks for the device; tests render to PDF.
#include <QFont>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QAbstractItemView;
class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace host {

struct PrintTable {
    QString title;
    QString subtitle;       // printed under the title on the left (e.g. the unit code)
    QStringList headers;    // one per printed column
    QVector<qreal> weights; // relative column widths (the screen widths)
    QVector<Qt::Alignment> alignments;
    QVector<QStringList> rows;
};

// The first item view in the widget (the widget itself included), or nullptr.
QAbstractItemView* FindItemView(QWidget* component);

// The view's visible columns and all its rows as the view displays them (delegate texts).
PrintTable CollectTable(QAbstractItemView* view);

class TablePrinter {
public:
    explicit TablePrinter(PrintTable table);

    void SetFont(const QFont& font) { font_ = font; }
    const QFont& Font() const { return font_; }

    // Rows per page for a page body of the given height in device pixels; at least 1.
    struct Layout {
        qreal rowHeight = 0;
        int firstPageRows = 1;
        int otherPageRows = 1;
        int pageCount = 1;
    };
    Layout ComputeLayout(QPainter& painter, const QRectF& page) const;

    // Renders every page onto the device; returns the number of pages.
    int Render(QPagedPaintDevice& device) const;
    // The same onto an active painter; newPage is asked for each page after the first.
    int Render(QPainter& painter, const QRectF& page, const std::function<bool()>& newPage) const;

    const PrintTable& Table() const { return table_; }

private:
    PrintTable table_;
    QFont font_;
};

// The printable font: 宋体 when installed, else the CJK font fontconfig offers for it.
QFont PrintFont(int pointSize = 9);

} // namespace host
