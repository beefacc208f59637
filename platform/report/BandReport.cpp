#include "platform/report/BandReport.h"

#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/report/Code128.h"

#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace platform::report {

namespace {

// Drawn in device dots rather than report pixels, so that every module is the same whole
// number of dots and no bar comes out a dot wider or greyer than its neighbours.
void DrawBarcode(QPainter& painter, const ReportBarcode& code)
{
    const std::vector<int> widths = Code128Widths(Code128Symbols(code.text));
    if (widths.empty())
        return;
    const int modules = std::accumulate(widths.begin(), widths.end(), 0);
    const QTransform toDevice = painter.combinedTransform();
    const QRectF room = toDevice.mapRect(code.rect);
    // One module more than the bars and quiet zones need: the snap below may move the bars by
    // half a module.
    const int needed = modules + 2 * code128::QuietModules + 1;
    const int wanted = std::max(1, qRound(code.moduleMm * PixelsPerMm * toDevice.m11()));
    const int module = std::min(wanted, int(std::floor(room.width() / needed)));
    if (module < 1)
        return;
    // On a whole multiple of the module from the page's corner: whole pixels again when a
    // 600 dpi page is read back at 300 dpi.
    const qreal centred = room.left() + (room.width() - qreal(modules) * module) / 2;
    qreal x = std::round(centred / module) * module;
    const qreal top = std::round(room.top());
    const qreal height = std::round(room.bottom()) - top;
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < widths.size(); ++i) {
        const qreal width = qreal(widths[i]) * module;
        if (i % 2 == 0)
            painter.fillRect(QRectF(x, top, width, height), Qt::black);
        x += width;
    }
    painter.restore();
}

} // namespace

BandReport::BandReport() = default;
BandReport::~BandReport() = default;

ReportText& BandReport::Label(const QString& name)
{
    for (Band* band : {&columnHeader, &detail, &pageFooter})
        for (ReportText& t : band->texts)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
    throw Exception(QStringLiteral("The report has no label %1").arg(name));
}

ReportBarcode& BandReport::Barcode(const QString& name)
{
    for (Band* band : {&columnHeader, &detail, &pageFooter})
        for (ReportBarcode& b : band->barcodes)
            if (b.name.compare(name, Qt::CaseInsensitive) == 0)
                return b;
    throw Exception(QStringLiteral("The report has no bar code %1").arg(name));
}

QSizeF BandReport::PrintableSize() const
{
    return QSizeF((pageSizeMm.width() - marginsMm.left() - marginsMm.right()) * PixelsPerMm,
                  (pageSizeMm.height() - marginsMm.top() - marginsMm.bottom()) * PixelsPerMm);
}

QString BandReport::FieldText(const QString& fieldName, int row) const
{
    if (!data_ || row < 0 || row >= data_->RecordCount())
        return {};
    const int field = data_->FieldIndex(fieldName);
    if (field < 0)
        return {};
    const QVariant value = data_->At(row, field);
    return VariantToText(value);
}

void BandReport::DrawBand(QPainter& painter, const Band& band, qreal top, int row) const
{
    painter.save();
    painter.translate(0, top);
    QPen pen(Qt::black);
    pen.setWidthF(0.75);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& frame : band.frames)
        painter.drawRect(frame);
    for (const QLineF& rule : band.rules)
        painter.drawLine(rule);
    for (const ReportText& t : band.texts) {
        QString text;
        switch (t.kind) {
        case ReportText::Kind::Label:
            text = t.text;
            break;
        case ReportText::Kind::Field:
            text = FieldText(t.fieldName, row);
            break;
        case ReportText::Kind::PageNumber:
            text = QString::number(pageNumber_);
            break;
        }
        if (text.isEmpty())
            continue;
        QFont font(fontFamily);
        font.setPixelSize(std::max(1, qRound(t.fontPixels)));
        font.setBold(t.bold);
        painter.setFont(font);
        // A text wider than its box is cut at the box, as a printed form's cell would be.
        painter.save();
        painter.setClipRect(t.rect);
        painter.drawText(t.rect, int(t.alignment) | Qt::TextSingleLine, text);
        painter.restore();
    }
    for (const ReportBarcode& code : band.barcodes)
        DrawBarcode(painter, code);
    painter.restore();
}

int BandReport::Render(QPainter& painter, const std::function<void()>& newPage)
{
    const qreal bottom = PrintableSize().height();
    const qreal reserve = footerReserve >= 0 ? footerReserve : pageFooter.height;
    const int rows = data_ ? data_->RecordCount() : 0;
    int pages = 0;
    qreal y = 0;
    bool rowsOnPage = false;

    auto startPage = [&] {
        if (pages > 0)
            newPage();
        pageNumber_ = ++pages;
        y = 0;
        DrawBand(painter, columnHeader, y, -1);
        y += columnHeader.height;
        rowsOnPage = false;
    };
    // The footer stands at the foot of the page, or right below the rows when they reach
    // further down than that.
    auto endPage = [&] { DrawBand(painter, pageFooter, std::max(y, bottom - pageFooter.height), rows - 1); };

    startPage();
    for (int r = 0; r < rows; ++r) {
        recordNumber_ = r + 1;
        newPageRequested_ = false;
        if (detailBeforePrint)
            detailBeforePrint(*this);
        const bool full = y + detail.height + reserve > bottom + 0.5;
        if (rowsOnPage && (newPageRequested_ || full)) {
            endPage();
            startPage();
        }
        DrawBand(painter, detail, y, r);
        y += detail.height;
        rowsOnPage = true;
    }
    endPage();
    recordNumber_ = 0;
    return pages;
}

int BandReport::Render(QPagedPaintDevice& device)
{
    const QPageLayout layout(QPageSize(pageSizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                             QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    device.setPageLayout(layout);
    QPainter painter;
    if (!painter.begin(&device))
        throw Exception(QStringLiteral("The report cannot be drawn on this device"));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // Report pixels to device pixels; the origin goes to the printable area's corner. The
    // device's own paint rectangle is where its origin lies (a printer may keep hardware
    // margins even when asked for none).
    const qreal scale = qreal(device.logicalDpiX()) / PixelsPerInch;
    const QRectF paper = device.pageLayout().fullRectPixels(device.logicalDpiX());
    const QRectF paint = device.pageLayout().paintRectPixels(device.logicalDpiX());
    painter.translate(paper.left() - paint.left(), paper.top() - paint.top());
    painter.scale(scale, scale);
    painter.translate(marginsMm.left() * PixelsPerMm, marginsMm.top() * PixelsPerMm);
    const int pages = Render(painter, [&device] { device.newPage(); });
    painter.end();
    return pages;
}

int WritePdf(BandReport& report, const QString& fileName)
{
    QFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("Cannot write %1: %2").arg(fileName, probe.errorString()));
    probe.close();
    QPdfWriter writer(fileName);
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("jxc"));
    return report.Render(writer);
}

} // namespace platform::report
