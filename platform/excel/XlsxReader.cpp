// Reads .xlsx workbooks with minizip and QXmlStreamReader: the workbook's sheet list and its
// relationships, shared strings, the cell formats' word wrap and number formats, and each
// sheet's cells with their formulas.
#include "platform/excel/Workbook.h"

#include "platform/core/Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>
#include <unzip.h>

namespace platform::excel {

namespace {

// No part of a workbook this program reads is larger; a bigger one is refused before it is
// inflated into memory.
constexpr quint64 kMaxPartBytes = 256ull * 1024 * 1024;

[[noreturn]] void NotAWorkbook(const QString& path)
{
    throw Exception(QStringLiteral("文件 %1 不是有效的Excel工作簿（文件可能已损坏或不完整）").arg(path));
}

class Zip {
public:
    explicit Zip(const QString& path) : path_(path), zip_(unzOpen64(QFile::encodeName(path).constData())) {}
    ~Zip()
    {
        if (zip_)
            unzClose(zip_);
    }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;
    bool IsOpen() const { return zip_ != nullptr; }

    bool Has(const QString& name) const { return unzLocateFile(zip_, name.toUtf8().constData(), 0) == UNZ_OK; }

    // The inflated part; empty when absent. Throws on an encrypted, damaged or oversized part.
    QByteArray Part(const QString& name) const
    {
        if (unzLocateFile(zip_, name.toUtf8().constData(), 0) != UNZ_OK)
            return {};
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            NotAWorkbook(path_);
        if (info.flag & 1)
            throw Exception(QStringLiteral("文件 %1 有密码保护，无法读取").arg(path_));
        if (info.uncompressed_size > kMaxPartBytes)
            throw Exception(QStringLiteral("文件 %1 过大，无法读取").arg(path_));
        if (unzOpenCurrentFile(zip_) != UNZ_OK)
            NotAWorkbook(path_);
        QByteArray out;
        out.reserve(qsizetype(info.uncompressed_size));
        char buf[65536];
        int n = 0;
        while ((n = unzReadCurrentFile(zip_, buf, sizeof buf)) > 0) {
            out.append(buf, n);
            if (quint64(out.size()) > kMaxPartBytes) {
                unzCloseCurrentFile(zip_);
                throw Exception(QStringLiteral("文件 %1 过大，无法读取").arg(path_));
            }
        }
        // A short or corrupt stream reads as an error here, a bad checksum at the close.
        const int closed = unzCloseCurrentFile(zip_);
        if (n < 0 || closed != UNZ_OK)
            NotAWorkbook(path_);
        return out;
    }

private:
    QString path_;
    unzFile zip_;
};

QString Attr(const QXmlStreamReader& x, const char* name) { return x.attributes().value(QLatin1String(name)).toString(); }

// The part a relationship target names, relative to xl/ unless absolute.
QString PartName(const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

QVector<QString> SharedStrings(const QByteArray& xml)
{
    QVector<QString> strings;
    QString current;
    int phonetic = 0;
    for (QXmlStreamReader x(xml); !x.atEnd();) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == u"si")
                current.clear();
            else if (x.name() == u"rPh")
                ++phonetic;
            else if (x.name() == u"t" && phonetic == 0)
                current += x.readElementText();
        } else if (t == QXmlStreamReader::EndElement) {
            if (x.name() == u"si")
                strings << current;
            else if (x.name() == u"rPh")
                --phonetic;
        }
    }
    return strings;
}

struct CellFormat {
    bool wrap = false;
    QString numberFormat;
};

QString BuiltInFormat(int id)
{
    switch (id) {
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 14: return QStringLiteral("yyyy-mm-dd");
    case 22: return QStringLiteral("yyyy-mm-dd hh:mm");
    case 49: return QStringLiteral("@");
    default: return {};
    }
}

QVector<CellFormat> CellFormats(const QByteArray& xml)
{
    QHash<int, QString> codes;
    QVector<CellFormat> formats;
    bool inCellXfs = false;
    for (QXmlStreamReader x(xml); !x.atEnd();) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == u"numFmt") {
                codes.insert(Attr(x, "numFmtId").toInt(), Attr(x, "formatCode"));
            } else if (x.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && x.name() == u"xf") {
                const int id = Attr(x, "numFmtId").toInt();
                formats << CellFormat{false, codes.contains(id) ? codes.value(id) : BuiltInFormat(id)};
            } else if (inCellXfs && x.name() == u"alignment" && !formats.isEmpty()) {
                const QString wrap = Attr(x, "wrapText");
                formats.last().wrap = wrap == u"1" || wrap == u"true";
            }
        } else if (t == QXmlStreamReader::EndElement && x.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    return formats;
}

void ReadSheet(const QByteArray& xml, const QVector<QString>& strings, const QVector<CellFormat>& formats,
               BookSheet& sheet, int& cellsSoFar, const QString& path)
{
    int row = -1;
    int lastColumn = -1;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"row") {
            const int r = Attr(x, "r").toInt();
            row = r > 0 ? r - 1 : row + 1;
            lastColumn = -1;
            continue;
        }
        if (x.name() != u"c")
            continue;
        int column = lastColumn + 1;
        int cellRow = std::max(row, 0);
        // One look at the attributes, no copies: a sheet has hundreds of thousands of cells.
        const QXmlStreamAttributes attributes = x.attributes();
        const QStringView ref = attributes.value(QLatin1String("r"));
        if (!ref.isEmpty() && !ParseCellName(ref, column, cellRow))
            NotAWorkbook(path);
        lastColumn = column;
        const QString type = attributes.value(QLatin1String("t")).toString();
        const int style = attributes.value(QLatin1String("s")).toInt();
        QString valueText;
        QString formula;
        bool hasValue = false;
        // The cell's children: <f>, <v>, <is><t>.
        while (!x.atEnd()) {
            const auto ct = x.readNext();
            if (ct == QXmlStreamReader::EndElement && x.name() == u"c")
                break;
            if (ct != QXmlStreamReader::StartElement)
                continue;
            if (x.name() == u"f") {
                formula = x.readElementText();
            } else if (x.name() == u"v") {
                valueText = x.readElementText();
                hasValue = true;
            } else if (x.name() == u"t") {
                valueText += x.readElementText();
                hasValue = true;
            }
        }
        const CellFormat format = formats.value(style);
        if (!hasValue && formula.isEmpty() && !format.wrap && format.numberFormat.isEmpty())
            continue;
        if (++cellsSoFar > kMaxBookCells)
            throw Exception(QStringLiteral("文件 %1 的单元格超过 %2 个，无法读取").arg(path).arg(kMaxBookCells));
        BookCell& cell = sheet.AppendCell(column, cellRow);
        cell.formula = formula;
        cell.wordWrap = format.wrap;
        cell.numberFormat = format.numberFormat;
        if (!hasValue)
            continue;
        if (type == u"s") {
            cell.value = strings.value(valueText.toInt());
        } else if (type == u"str" || type == u"inlineStr" || type == u"e") {
            cell.value = valueText;
        } else if (type == u"b") {
            cell.value = valueText == u"1";
        } else {
            bool ok = false;
            const double d = valueText.toDouble(&ok);
            cell.value = ok ? QVariant(d) : QVariant(valueText);
        }
    }
    // A sheet cut short (a truncated part) is no workbook either.
    if (x.hasError())
        NotAWorkbook(path);
}

} // namespace

BookData ReadXlsx(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        throw Exception(QStringLiteral("文件 %1 不存在").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString()));
    // A password-protected workbook is an encrypted compound document, as is the old .xls format.
    const QByteArray magic = file.read(8);
    file.close();
    if (magic == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        throw Exception(QStringLiteral("文件 %1 有密码保护或是旧版Excel格式（.xls），无法读取").arg(path));

    Zip zip(path);
    if (!zip.IsOpen() || !zip.Has(QStringLiteral("xl/workbook.xml")))
        NotAWorkbook(path);

    // Sheet names and their parts, in workbook order.
    QHash<QString, QString> targets;
    {
        QXmlStreamReader x(zip.Part(QStringLiteral("xl/_rels/workbook.xml.rels")));
        while (!x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"Relationship")
                targets.insert(Attr(x, "Id"), Attr(x, "Target"));
    }
    QVector<QPair<QString, QString>> sheets;
    {
        QXmlStreamReader x(zip.Part(QStringLiteral("xl/workbook.xml")));
        while (!x.atEnd()) {
            if (x.readNext() != QXmlStreamReader::StartElement || x.name() != u"sheet")
                continue;
            QString rid;
            for (const QXmlStreamAttribute& a : x.attributes())
                if (a.name() == u"id")
                    rid = a.value().toString();
            sheets.push_back({Attr(x, "name"), targets.value(rid)});
        }
        if (x.hasError())
            NotAWorkbook(path);
    }
    if (sheets.isEmpty())
        NotAWorkbook(path);

    const QVector<QString> strings = SharedStrings(zip.Part(QStringLiteral("xl/sharedStrings.xml")));
    const QVector<CellFormat> formats = CellFormats(zip.Part(QStringLiteral("xl/styles.xml")));
    BookData book;
    int cells = 0;
    for (const auto& [name, target] : sheets) {
        BookSheet sheet;
        sheet.name = name;
        if (target.isEmpty() || !zip.Has(PartName(target)))
            NotAWorkbook(path);
        ReadSheet(zip.Part(PartName(target)), strings, formats, sheet, cells, path);
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

} // namespace platform::excel
