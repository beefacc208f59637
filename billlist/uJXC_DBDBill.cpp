#include "billlist/uJXC_DBDBill.h"

#include "model/DateUtil.h"
#include "platform/core/Dataset.h"
#include "platform/report/ReportPreview.h"

#include <algorithm>
#include <cmath>

TQuickReport1* QuickReport1 = nullptr;

namespace {

using platform::report::Band;
using platform::report::ReportText;

// The detail columns: field, width, alignment.
struct Column {
    const char* field;
    const char* caption;
    qreal width;
    Qt::Alignment alignment;
};
const Column kColumns[] = {
    {"GoodsCode", "物资编码", 62, Qt::AlignCenter},
    {"GoodsName", "物资名称", 159, Qt::AlignCenter},
    {"BarCode", "条形码", 85, Qt::AlignCenter},
    {"GoodsType1", "物资种类", 106, Qt::AlignCenter},
    {"GoodsCount", "数   量", 60, Qt::AlignRight | Qt::AlignVCenter},
    {"Unit", "单位", 42, Qt::AlignCenter},
    {"Remark", "备           注", 94, Qt::AlignCenter},
};
constexpr qreal kTableWidth = 608; // the sum of the column widths
constexpr qreal kPageWidth = 666;  // the printable width
constexpr qreal kCaptionTop = 56;  // the framed row of column captions in the head
constexpr qreal kPairTop = 34;     // the row of the bill number, date and storages in the head
// The bill number's bar code, top right beside the title: 8.2 mm of bars above the row of pairs,
// wide enough for a number of 19 characters in code set B at 0.254 mm a module, and within the
// printable width (665.2 pixels: 176 mm).
const QRectF kBarcodeRect(408, 0, 256, 31);
constexpr qreal kQuantityLeft = 412, kQuantityRight = 472;

ReportText Text(const QString& name, const QString& text, QRectF rect, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                bool bold = false, qreal pixels = 12)
{
    ReportText t;
    t.name = name;
    t.text = text;
    t.rect = rect;
    t.alignment = alignment;
    t.bold = bold;
    t.fontPixels = pixels;
    return t;
}

void BuildHeader(Band& band)
{
    band.height = TQuickReport1::HeaderHeight;
    // The title stays centred over the table and ends where the bar code's room begins; the
    // longest title, a reversed bill's, is 10 characters of 20 pixels.
    band.texts.push_back(Text(QStringLiteral("QRLabel1"), QStringLiteral("物资调拨单"),
                              QRectF(kTableWidth - kBarcodeRect.left(), 0, 2 * kBarcodeRect.left() - kTableWidth, 28),
                              Qt::AlignCenter, true, 20));
    platform::report::ReportBarcode barcode;
    barcode.name = QStringLiteral("barBillNo");
    barcode.rect = kBarcodeRect;
    band.barcodes.push_back(barcode);
    struct Pair {
        const char* caption;
        const char* label;
        qreal left, captionWidth, valueWidth;
    };
    const Pair pairs[] = {
        {"单据编号：", "labTZD", 0, 62, 154},
        {"单据日期：", "labDJRQ", 218, 62, 76},
        {"调出仓库：", "labCK", 358, 62, 70},
        {"调入仓库：", "labRK", 492, 62, 112},
    };
    for (const Pair& p : pairs) {
        band.texts.push_back(Text(QString(), QString::fromUtf8(p.caption), QRectF(p.left, kPairTop, p.captionWidth, 18),
                                  Qt::AlignLeft | Qt::AlignVCenter, true));
        band.texts.push_back(Text(QString::fromLatin1(p.label), QString(),
                                  QRectF(p.left + p.captionWidth, kPairTop, p.valueWidth, 18)));
    }
    const qreal height = band.height - kCaptionTop;
    band.frames.push_back(QRectF(0, kCaptionTop, kTableWidth, height));
    qreal x = 0;
    for (const Column& c : kColumns) {
        if (x > 0)
            band.rules.push_back(QLineF(x, kCaptionTop, x, band.height));
        band.texts.push_back(Text(QString(), QString::fromUtf8(c.caption), QRectF(x, kCaptionTop, c.width, height),
                                  Qt::AlignCenter, true));
        x += c.width;
    }
}

void BuildDetail(Band& band)
{
    band.height = TQuickReport1::RowHeight;
    qreal x = 0;
    for (const Column& c : kColumns) {
        ReportText t;
        t.kind = ReportText::Kind::Field;
        t.name = QStringLiteral("QRDBText_") + QLatin1String(c.field);
        t.fieldName = QLatin1String(c.field);
        t.rect = QRectF(x + 2, 0, c.width - 4, band.height);
        t.alignment = c.alignment;
        band.texts.push_back(t);
        band.rules.push_back(QLineF(x, 0, x, band.height));
        x += c.width;
    }
    band.rules.push_back(QLineF(x, 0, x, band.height));
    band.rules.push_back(QLineF(0, band.height, x, band.height));
}

void BuildFooter(Band& band)
{
    band.height = TQuickReport1::FooterDesignHeight;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    band.frames.push_back(QRectF(0, 0, kTableWidth, 20));
    band.rules.push_back(QLineF(kQuantityLeft, 0, kQuantityLeft, 20));
    band.rules.push_back(QLineF(kQuantityRight, 0, kQuantityRight, 20));
    band.texts.push_back(Text(QString(), QStringLiteral("合计："), QRectF(6, 0, 120, 20), left, true));
    band.texts.push_back(Text(QStringLiteral("labZSL"), QString(),
                              QRectF(kQuantityLeft + 2, 0, kQuantityRight - kQuantityLeft - 4, 20),
                              Qt::AlignRight | Qt::AlignVCenter));

    band.texts.push_back(Text(QString(), QStringLiteral("发货："), QRectF(0, 26, 40, 18), left));
    band.texts.push_back(Text(QString(), QStringLiteral("签收："), QRectF(200, 26, 40, 18), left));
    band.texts.push_back(Text(QString(), QStringLiteral("制单人："), QRectF(400, 26, 52, 18), left));
    band.texts.push_back(Text(QStringLiteral("labZDR"), QString(), QRectF(452, 26, 156, 18), left));

    band.texts.push_back(Text(QString(), QStringLiteral("总行数："), QRectF(0, 50, 52, 18), left));
    band.texts.push_back(Text(QStringLiteral("labZHS"), QString(), QRectF(52, 50, 140, 18), left));
    band.texts.push_back(Text(QString(), QStringLiteral("打印时间："), QRectF(200, 50, 64, 18), left));
    band.texts.push_back(Text(QStringLiteral("labDYSJ"), QString(), QRectF(264, 50, 134, 18), left));
    band.texts.push_back(Text(QString(), QStringLiteral("页数："), QRectF(400, 50, 40, 18), left));
    ReportText page = Text(QStringLiteral("QRSysData1"), QString(), QRectF(440, 50, 30, 18),
                           Qt::AlignRight | Qt::AlignVCenter);
    page.kind = ReportText::Kind::PageNumber;
    band.texts.push_back(page);
    band.texts.push_back(Text(QStringLiteral("labYS"), QString(), QRectF(470, 50, 80, 18), left));

    band.texts.push_back(Text(QStringLiteral("labRemark1"),
                              QStringLiteral("注：本单一式五联，白（存档），红（财务），蓝（需求），绿（经办），黄（备用）"),
                              QRectF(0, 76, kPageWidth, 18), left, false, 11));
}

QString FieldText(platform::Dataset& rows, const QString& field)
{
    return rows.FieldIndex(field) < 0 ? QString() : rows.FieldByName(field).AsString();
}

} // namespace

qint64 PrintedTotal(const platform::Dataset& rows, const QString& countField)
{
    const int field = rows.FieldIndex(countField);
    double total = 0;
    for (int r = 0; field >= 0 && r < rows.RecordCount(); ++r) {
        const QVariant value = platform::ConvertToFieldType(rows.At(r, field), platform::FieldType::Float);
        // nearbyint rounds in the default mode: to the nearest, an exact half to the even neighbour.
        total = std::nearbyint(total + (value.isValid() ? value.toDouble() : 0.0));
    }
    return qint64(total);
}

TQuickReport1::TQuickReport1(int pageLineCount) : pageLines_(std::clamp(pageLineCount, 1, MaxPageLines))
{
    report_.pageSizeMm = QSizeF(206, 140);
    report_.marginsMm = QMarginsF(20, 10, 10, 10);
    report_.fontFamily = QStringLiteral("宋体");
    report_.footerReserve = FooterContentHeight;
    BuildHeader(report_.columnHeader);
    BuildDetail(report_.detail);
    BuildFooter(report_.pageFooter);
    report_.detailBeforePrint = [this](platform::report::BandReport&) { QRBand3BeforePrint(); };
}

TQuickReport1::~TQuickReport1()
{
    if (QuickReport1 == this)
        QuickReport1 = nullptr;
}

void TQuickReport1::Prepare(std::unique_ptr<platform::Dataset> rows, const QString& billNo, const QDateTime& printTime)
{
    report_.SetDataset(nullptr);
    rows_ = std::move(rows);
    platform::Dataset& data = *rows_;
    const qint64 total = PrintedTotal(data, QStringLiteral("GoodsCount"));

    const int n = data.RecordCount();
    const int l = pageLines_;
    SetCaption(QStringLiteral("labZHS"), QString::number(n) + QStringLiteral(" 条数据"));
    if (n <= l) {
        // One page: the footer takes the room of the rows the page does not print.
        report_.pageFooter.height = (l - n) * RowHeight + FooterContentHeight + (MaxPageLines - l) * RowHeight;
    } else {
        report_.pageFooter.height = FooterDesignHeight + (MaxPageLines - l) * RowHeight;
        // Blank rows fill the last page.
        for (int blank = n % l == 0 ? 0 : l - n % l; blank > 0; --blank) {
            data.Append();
            data.Post();
        }
    }
    const int count = data.RecordCount();
    if (count > 0)
        SetCaption(QStringLiteral("labYS"), QStringLiteral("/ ") + QString::number(count <= l ? 1 : count / l));

    data.First();
    SetCaption(QStringLiteral("labTZD"), billNo);
    report_.Barcode(QStringLiteral("barBillNo")).text = billNo;
    if (count > 0) {
        const QVariant date = data.FieldIndex(QStringLiteral("BillDate")) < 0
            ? QVariant()
            : data.FieldByName(QStringLiteral("BillDate")).Value();
        SetCaption(QStringLiteral("labDJRQ"),
                   date.isValid() ? model::FormatDate(model::DateTimeFromVariant(date)) : QString());
        SetCaption(QStringLiteral("labCK"), FieldText(data, QStringLiteral("storageName_Out")));
        SetCaption(QStringLiteral("labRK"), FieldText(data, QStringLiteral("storageName_In")));
        SetCaption(QStringLiteral("labZDR"), FieldText(data, QStringLiteral("OptorCodeN")));
    }
    SetCaption(QStringLiteral("labDYSJ"), model::FormatDateTime(printTime));
    SetCaption(QStringLiteral("labZSL"), QString::number(total));
    report_.SetDataset(rows_.get());
}

void TQuickReport1::QRBand3BeforePrint()
{
    const int r = report_.RecordNumber();
    if ((r - 1) % pageLines_ == 0 && r - 1 > 0)
        report_.NewPage();
}

int TQuickReport1::WritePdf(const QString& fileName) { return platform::report::WritePdf(report_, fileName); }

void TQuickReport1::Preview()
{
    struct Current {
        explicit Current(TQuickReport1* r) { QuickReport1 = r; }
        ~Current() { QuickReport1 = nullptr; }
    } current(this);
    platform::report::ShowPreview(report_);
}
