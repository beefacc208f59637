// Writes a BookData as .xlsx with libxlsxwriter, sheet by sheet in row order.
#include "platform/workbook/Workbook.h"

#include "platform/core/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <utility>
#include <xlsxwriter.h>

namespace platform::excel {

namespace {

[[noreturn]] void Fail(const QString& path, lxw_error error)
{
    throw Exception(QStringLiteral("无法写入文件 %1：%2").arg(path, QString::fromUtf8(lxw_strerror(error))));
}

class Writer {
public:
    explicit Writer(lxw_workbook* book, bool defaultWrap) : book_(book), defaultWrap_(defaultWrap) {}

    lxw_error Write(const BookSheet& data, const QString& name)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(book_, name.toUtf8().constData());
        if (!sheet)
            return LXW_ERROR_PARAMETER_VALIDATION;
        const BookSheet::Cells& cells = data.AllCells();
        for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
            const lxw_row_t row = lxw_row_t(BookSheet::RowOf(it.key()));
            const lxw_col_t col = lxw_col_t(BookSheet::ColumnOf(it.key()));
            if (lxw_error e = WriteCell(sheet, row, col, it.value()))
                return e;
        }
        return LXW_NO_ERROR;
    }

private:
    lxw_format* Format(const BookCell& cell)
    {
        const bool wrap = cell.wordWrap || defaultWrap_;
        if (!wrap && cell.numberFormat.isEmpty())
            return nullptr;
        const QString key = (wrap ? QStringLiteral("w|") : QStringLiteral("-|")) + cell.numberFormat;
        if (lxw_format* f = formats_.value(key))
            return f;
        lxw_format* f = workbook_add_format(book_);
        if (wrap)
            format_set_text_wrap(f);
        if (!cell.numberFormat.isEmpty())
            format_set_num_format(f, cell.numberFormat.toUtf8().constData());
        formats_.insert(key, f);
        return f;
    }

    lxw_error WriteCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const BookCell& cell)
    {
        lxw_format* format = Format(cell);
        const QVariant& v = cell.value;
        if (cell.HasFormula()) {
            const QByteArray formula = (u'=' + cell.formula).toUtf8();
            if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
                return worksheet_write_formula_num(sheet, row, col, formula.constData(), format, v.toDouble());
            if (v.typeId() == QMetaType::QString)
                return worksheet_write_formula_str(sheet, row, col, formula.constData(), format,
                                                   v.toString().toUtf8().constData());
            return worksheet_write_formula(sheet, row, col, formula.constData(), format);
        }
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            return format ? worksheet_write_blank(sheet, row, col, format) : LXW_NO_ERROR;
        case QMetaType::Bool:
            return worksheet_write_boolean(sheet, row, col, v.toBool(), format);
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return worksheet_write_number(sheet, row, col, v.toDouble(), format);
        default: {
            const QString text = v.toString();
            if (text.isEmpty())
                return format ? worksheet_write_blank(sheet, row, col, format) : LXW_NO_ERROR;
            return worksheet_write_string(sheet, row, col, text.toUtf8().constData(), format);
        }
        }
    }

    lxw_workbook* book_;
    bool defaultWrap_;
    QHash<QString, lxw_format*> formats_;
};

// Sheet names the spreadsheet accepts: at most 31 characters, none of []:*?/\, unique.
QString SheetName(const QString& wanted, int index, QSet<QString>& used)
{
    QString name = wanted;
    for (QChar& c : name)
        if (QStringLiteral("[]:*?/\\").contains(c))
            c = u'_';
    name = name.left(31).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Sheet%1").arg(index + 1);
    QString unique = name;
    for (int n = 2; used.contains(unique.toLower()); ++n)
        unique = name.left(31 - 1 - int(QString::number(n).size())) + u'_' + QString::number(n);
    used.insert(unique.toLower());
    return unique;
}

} // namespace

void WriteBook(const BookData& book, const QString& path)
{
    if (book.CellCount() > kMaxBookCells)
        throw Exception(QStringLiteral("工作簿的单元格超过 %1 个，无法写入文件 %2").arg(kMaxBookCells).arg(path));
    const QString partial = path + QStringLiteral(".part");
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go to disk as they are written
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(partial).constData(), &options);
    if (!wb)
        throw Exception(QStringLiteral("无法创建文件 %1").arg(path));
    Writer writer(wb, book.defaultWordWrap);
    QSet<QString> used;
    lxw_error error = LXW_NO_ERROR;
    if (book.sheets.isEmpty()) {
        // A workbook needs a sheet: an empty book is written as one empty sheet.
        error = workbook_add_worksheet(wb, nullptr) ? LXW_NO_ERROR : LXW_ERROR_PARAMETER_VALIDATION;
    }
    for (int i = 0; i < book.sheets.size() && !error; ++i)
        error = writer.Write(book.sheets[i], SheetName(book.sheets[i].name, i, used));
    const lxw_error closed = workbook_close(wb);
    if (error || closed) {
        QFile::remove(partial);
        Fail(path, error ? error : closed);
    }
    // The finished workbook takes the name only now, so a failed write leaves the old file.
    QFile::remove(path);
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw Exception(QStringLiteral("无法写入文件 %1").arg(path));
    }
}

} // namespace platform::excel
