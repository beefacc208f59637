#include "platform/workbook/XlsxWriter.h"

#include "platform/core/Exception.h"

#include <QDateTime>
#include <QFile>
#include <QStringEncoder>
#include <algorithm>
#include <utility>
#include <vector>
#include <xlsxwriter.h>

namespace platform::excel {

namespace {

[[noreturn]] void Fail(const QString& path, lxw_error error)
{
    throw Exception(QStringLiteral("无法写入文件 %1：%2").arg(path, QString::fromUtf8(lxw_strerror(error))));
}

// The workbook as a scope: closed (and so freed) however the scope is left.
class Workbook {
public:
    explicit Workbook(const QByteArray& path)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go to disk as they are written
        book_ = workbook_new_opt(path.constData(), &options);
    }
    ~Workbook()
    {
        if (book_)
            workbook_close(book_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* Get() const { return book_; }
    lxw_error Close() { return workbook_close(std::exchange(book_, nullptr)); }

private:
    lxw_workbook* book_ = nullptr;
};

// Excel column widths are in characters of the default font: about 7 pixels each.
double ColumnWidth(int pixels) { return pixels <= 0 ? 8.43 : std::max(1.0, (pixels - 5) / 7.0); }

lxw_format_alignments HorizontalAlignment(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return LXW_ALIGN_CENTER;
    if (a & Qt::AlignRight)
        return LXW_ALIGN_RIGHT;
    return LXW_ALIGN_LEFT;
}

class SheetWriter {
public:
    SheetWriter(lxw_workbook* book, const SheetData& data) : book_(book), data_(data) {}

    lxw_error Write()
    {
        const QByteArray name = (data_.sheetName.isEmpty() ? QStringLiteral("Sheet1") : data_.sheetName).toUtf8();
        sheet_ = workbook_add_worksheet(book_, name.constData());
        if (!sheet_)
            return LXW_ERROR_PARAMETER_VALIDATION;
        const int columns = int(data_.columns.size());
        lxw_format* header = workbook_add_format(book_);
        format_set_bold(header);
        format_set_align(header, LXW_ALIGN_CENTER);
        cellFormats_.resize(columns);
        for (int c = 0; c < columns; ++c) {
            const SheetColumn& col = data_.columns[c];
            worksheet_set_column(sheet_, lxw_col_t(c), lxw_col_t(c), ColumnWidth(col.widthPixels), nullptr);
            cellFormats_[c] = Format(col, false);
            if (lxw_error e = worksheet_write_string(sheet_, 0, lxw_col_t(c), col.caption.toUtf8().constData(), header))
                return e;
        }
        lxw_row_t row = 1;
        for (const SheetRow& r : data_.rows) {
            if (lxw_error e = WriteRow(row++, r, false))
                return e;
        }
        if (data_.fillRow) {
            SheetRow cells;
            for (int r = 0; r < data_.sourceRows; ++r) {
                data_.fillRow(r, cells);
                if (lxw_error e = WriteRow(row++, cells, false))
                    return e;
            }
        }
        if (!data_.footer.isEmpty()) {
            if (lxw_error e = WriteRow(row, data_.footer, true))
                return e;
        }
        return LXW_NO_ERROR;
    }

private:
    lxw_format* Format(const SheetColumn& col, bool footer)
    {
        const QString& number = footer && !col.footerNumberFormat.isEmpty() ? col.footerNumberFormat : col.numberFormat;
        // A plain left-aligned column needs no format of its own: its cells stay smaller.
        if (!footer && number.isEmpty() && HorizontalAlignment(col.alignment) == LXW_ALIGN_LEFT)
            return nullptr;
        lxw_format* f = workbook_add_format(book_);
        format_set_align(f, uint8_t(HorizontalAlignment(col.alignment)));
        if (!number.isEmpty())
            format_set_num_format(f, SpreadsheetNumberFormat(number).toUtf8().constData());
        if (footer)
            format_set_bold(f);
        return f;
    }

    lxw_format* DateFormat()
    {
        if (!dateFormat_) {
            dateFormat_ = workbook_add_format(book_);
            format_set_num_format(dateFormat_, "yyyy-mm-dd hh:mm:ss");
            format_set_align(dateFormat_, LXW_ALIGN_LEFT);
        }
        return dateFormat_;
    }

    lxw_error WriteRow(lxw_row_t row, const SheetRow& cells, bool footer)
    {
        const int n = std::min(int(cells.size()), int(data_.columns.size()));
        if (footer && footerFormats_.isEmpty()) {
            for (const SheetColumn& col : data_.columns)
                footerFormats_.push_back(Format(col, true));
        }
        for (int c = 0; c < n; ++c) {
            const QVariant& v = cells[c];
            lxw_format* format = footer ? footerFormats_[c] : cellFormats_[c];
            lxw_error e = LXW_NO_ERROR;
            if (IsNumberType(v.typeId())) {
                if (lxw_error e = worksheet_write_number(sheet_, row, lxw_col_t(c), v.toDouble(), format))
                    return e;
                continue;
            }
            switch (v.typeId()) {
            case QMetaType::UnknownType:
                continue;
            case QMetaType::QDateTime: {
                const QDateTime t = v.toDateTime();
                if (!t.isValid())
                    continue;
                const QDate d = t.date();
                const QTime tm = t.time();
                lxw_datetime dt{d.year(), d.month(), d.day(), tm.hour(), tm.minute(), double(tm.second())};
                e = worksheet_write_datetime(sheet_, row, lxw_col_t(c), &dt, DateFormat());
                break;
            }
            default: {
                const QString text = v.toString();
                if (text.isEmpty())
                    continue;
                e = worksheet_write_string(sheet_, row, lxw_col_t(c), Utf8(text), format);
                break;
            }
            }
            if (e)
                return e;
        }
        return LXW_NO_ERROR;
    }

    // The text as UTF-8 in a buffer the writer reuses: one conversion, no allocation per cell.
    const char* Utf8(const QString& text)
    {
        const qsizetype need = encoder_.requiredSpace(text.size()) + 1;
        if (qsizetype(utf8_.size()) < need)
            utf8_.resize(size_t(need));
        char* end = encoder_.appendToBuffer(utf8_.data(), text);
        *end = '\0';
        return utf8_.data();
    }

    lxw_workbook* book_;
    const SheetData& data_;
    QStringEncoder encoder_{QStringEncoder::Utf8};
    std::vector<char> utf8_;
    lxw_worksheet* sheet_ = nullptr;
    QVector<lxw_format*> cellFormats_;
    QVector<lxw_format*> footerFormats_;
    lxw_format* dateFormat_ = nullptr;
};

} // namespace

QString SpreadsheetNumberFormat(const QString& displayFormat)
{
    // Both read 0, #, '.', ',', '%', sections and quoted text alike; any other character is
    // kept as literal text, quoted in runs so the spreadsheet does not take it for a code.
    QString out;
    QString literal;
    bool quoted = false;
    auto flush = [&] {
        if (!literal.isEmpty())
            out += u'"' + literal + u'"';
        literal.clear();
    };
    for (const QChar ch : displayFormat) {
        if (ch == u'"') {
            flush();
            quoted = !quoted;
            out += ch;
        } else if (quoted || ch == u'0' || ch == u'#' || ch == u'.' || ch == u',' || ch == u'-' || ch == u';'
                   || ch == u'%' || ch == u' ') {
            flush();
            out += ch;
        } else {
            literal += ch;
        }
    }
    flush();
    return out;
}

void WriteXlsx(const SheetData& sheet, const QString& path)
{
    const QString partial = path + QStringLiteral(".part");
    Workbook book(QFile::encodeName(partial));
    if (!book.Get())
        throw Exception(QStringLiteral("无法创建文件 %1").arg(path));
    if (lxw_error e = SheetWriter(book.Get(), sheet).Write()) {
        book.Close();
        QFile::remove(partial);
        Fail(path, e);
    }
    if (lxw_error e = book.Close()) {
        QFile::remove(partial);
        Fail(path, e);
    }
    // The finished workbook takes the name only now, so a failed export leaves the old file.
    QFile::remove(path);
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw Exception(QStringLiteral("无法写入文件 %1").arg(path));
    }
}

} // namespace platform::excel
