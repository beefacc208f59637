#pragma once
// A banded report on QPainter: a column header at the top of every page, one detail band per
// row of a dataset, a page footer at the foot of every page (the last one too). A before-print
// hook runs before each detail row and may start a new page. No UI here: it renders onto any
// paged device (a printer, QPdfWriter); the preview lives with the commands.
//
// Lengths are report pixels at 96 per inch, measured from the printable area's top-left corner
// (inside the margins); the page and its margins are given in millimetres.
#include <QLineF>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace platform {
class Dataset;
}

namespace platform::report {

constexpr qreal PixelsPerInch = 96;
constexpr qreal PixelsPerMm = PixelsPerInch / 25.4;

// One printed text of a band: a fixed caption (a label), a field of the current row, or the
// current page number.
struct ReportText {
    enum class Kind { Label, Field, PageNumber };
    Kind kind = Kind::Label;
    QString name;      // the label's name, so its user can set the caption
    QString text;      // Label: the caption
    QString fieldName; // Field: the dataset's field; a field the dataset lacks prints empty
    QRectF rect;       // within the band
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool bold = false;
    qreal fontPixels = 12;
};

// A Code 128 bar code of a text, printed in solid black bars of whole device dots. The bars
// fill the rect's height and stand in its middle with a quiet zone of at least 10 modules on
// either side. A module is moduleMm wide, rounded to whole dots, narrower only when the rect
// is too short for it; a text that does not fit at one dot a module, or that Code 128 cannot
// print (see Code128Symbols), prints nothing.
struct ReportBarcode {
    QString name; // so its user can set the text
    QString text;
    QRectF rect;  // within the band
    // 1/100 inch: 3 dots at 300 dpi, 6 at 600, wide enough for any office scanner.
    qreal moduleMm = 0.254;
};

struct Band {
    qreal height = 0;
    std::vector<ReportText> texts;
    std::vector<ReportBarcode> barcodes;
    std::vector<QLineF> rules;  // thin lines within the band
    std::vector<QRectF> frames; // framed boxes within the band
};

class BandReport {
public:
    BandReport();
    ~BandReport();
    BandReport(const BandReport&) = delete;
    BandReport& operator=(const BandReport&) = delete;

    QSizeF pageSizeMm{210, 297};
    QMarginsF marginsMm{10, 10, 10, 10}; // left, top, right, bottom
    QString fontFamily;
    Band columnHeader;
    Band detail;
    Band pageFooter;
    // Room kept below a detail row for the page footer's contents before the row goes to the next
    // page; negative: the footer band's height.
    qreal footerReserve = -1;
    // Runs before each detail row, with RecordNumber() set; may call NewPage().
    std::function<void(BandReport&)> detailBeforePrint;

    // The rows; not owned, alive while the report renders. Null: no detail rows.
    void SetDataset(const Dataset* data) { data_ = data; }
    const Dataset* DataSet() const { return data_; }

    // The label of that name in any band; throws platform::Exception when there is none.
    ReportText& Label(const QString& name);
    // The bar code of that name in any band; throws platform::Exception when there is none.
    ReportBarcode& Barcode(const QString& name);

    // While rendering: the row about to print (1-based) and the page being printed.
    int RecordNumber() const { return recordNumber_; }
    int PageNumber() const { return pageNumber_; }
    // From the before-print hook: the row goes to a new page (ignored for a page's first row).
    void NewPage() { newPageRequested_ = true; }

    // The printable area in report pixels.
    QSizeF PrintableSize() const;

    // Sets the device's page to the report's (no device margins: the report keeps its own),
    // renders every page and returns how many. Throws platform::Exception when the device
    // cannot be painted on.
    int Render(QPagedPaintDevice& device);
    // The same onto an active painter whose origin is the printable area's corner in report
    // pixels; newPage is called between pages.
    int Render(QPainter& painter, const std::function<void()>& newPage);

private:
    void DrawBand(QPainter& painter, const Band& band, qreal top, int row) const;
    QString FieldText(const QString& fieldName, int row) const;

    const Dataset* data_ = nullptr;
    int recordNumber_ = 0;
    int pageNumber_ = 0;
    bool newPageRequested_ = false;
};

// Renders the report into a PDF file; returns the number of pages. Throws platform::Exception
// when the file cannot be written.
int WritePdf(BandReport& report, const QString& fileName);

} // namespace platform::report
