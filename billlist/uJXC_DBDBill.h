#pragma once
// The printed transfer bill: a page of 206 x 140 mm with the bill's head on every page (the bill
// number also as a Code 128 bar code, "barBillNo", for the list's number search), one row
// per bill line, and a footer with the total, the signatures, the print time, the page number
// and the five-part footnote. Rows per page come from the list window's PageLineCount; the
// last page is filled with blank rows so that every page looks the same.
#include "platform/report/BandReport.h"

#include <QDateTime>
#include <QString>
#include <memory>

namespace platform {
class Dataset;
}

class TQuickReport1 {
public:
    // The page-line count is a copy of the list window's PageLineCount.
    explicit TQuickReport1(int pageLineCount);
    ~TQuickReport1();
    TQuickReport1(const TQuickReport1&) = delete;
    TQuickReport1& operator=(const TQuickReport1&) = delete;

    // Design heights, report pixels.
    static constexpr qreal HeaderHeight = 81;
    static constexpr qreal RowHeight = 19;
    static constexpr qreal FooterDesignHeight = 127;
    // What the footer's contents need: its lower bound.
    static constexpr qreal FooterContentHeight = 124;
    // The rows a page holds with its head and footer.
    static constexpr int MaxPageLines = 13;

    // The rows per page the report prints: the page-line count, kept within 1 .. 13 (more rows
    // than 13 do not fit the page with its head and footer).
    int PageLines() const { return pageLines_; }

    // Takes the bill's rows (the print query's result) and makes the report ready: the total,
    // the footer height, the blank rows, the page count and the labels. billNo is the list's.
    void Prepare(std::unique_ptr<platform::Dataset> rows, const QString& billNo, const QDateTime& printTime);

    // A reversed bill's title says so on every page.
    void MarkReversed() { SetCaption(QStringLiteral("QRLabel1"), QStringLiteral("物资调拨单（已冲销）")); }

    // Before each detail row: a new page after every PageLines() rows.
    void QRBand3BeforePrint();

    // The labels by their names (labTZD, labDJRQ, labCK, labRK, labZDR, labZHS, labDYSJ, labZSL,
    // labYS, labRemark1, ...).
    QString Caption(const QString& label) { return report_.Label(label).text; }
    QString BarcodeText(const QString& name) { return report_.Barcode(name).text; }
    qreal FooterHeight() const { return report_.pageFooter.height; }
    const platform::Dataset* Rows() const { return rows_.get(); }
    platform::report::BandReport& Report() { return report_; }

    // The pages onto a paged device / into a PDF file; each returns the number of pages.
    int Render(QPagedPaintDevice& device) { return report_.Render(device); }
    int WritePdf(const QString& fileName);
    // The modal preview "打印预览".
    void Preview();

private:
    void SetCaption(const QString& label, const QString& text) { report_.Label(label).text = text; }

    int pageLines_;
    std::unique_ptr<platform::Dataset> rows_;
    platform::report::BandReport report_;
};

// The report while its preview is open; null otherwise.
extern TQuickReport1* QuickReport1;

// The printed total of the quantities: a whole-number running total, rounded to the nearest
// whole number after each row (an exact half to the even neighbour).
qint64 PrintedTotal(const platform::Dataset& rows, const QString& countField);
