// Reads .xlsx workbooks with minizip and QXmlStreamReader: the workbook's sheet list and its
// relationships, shared strings, the cell formats' word wrap and number formats, and each
// sheet's cells with their formulas.
#include "platform/workbook/Workbook.h"

#include "platform/core/Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>
#include <unzip.h>

namespace platform::excel {

namespace {

[[noreturn]] void NotAWorkbook(const QString& path)
{
    throw Exception(QStringLiteral("文件 %1 不是有效的Excel工作簿（文件可能已损坏或不完整）").arg(path));
}

[[noreturn]] void TooMany(const QString& path, const QString& what, qint64 limit)
{
    throw Exception(QStringLiteral("文件 %1 的%2超过 %3 个，无法读取").arg(path, what).arg(limit));
}

[[noreturn]] void TooLarge(const QString& path)
{
    throw Exception(QStringLiteral("文件 %1 解压后超过 %2 MB，无法读取").arg(path).arg(kMaxInflatedBytes / (1024 * 1024)));
}

// where: "第 5 行", "单元格 XFE1", ...
[[noreturn]] void OutOfRange(const QString& path, const QString& where)
{
    throw Exception(QStringLiteral("文件 %1 中的%2超出Excel的范围（最多 %3 行、%4 列），无法读取")
                        .arg(path, where)
                        .arg(kMaxRows)
                        .arg(kMaxColumns));
}

// The workbook's archive. Every byte inflated counts against one budget for the whole read, so
// that parts read many times or parts that inflate beyond what they declare stop at the limit.
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
    unzFile Handle() const { return zip_; }
    const QString& Path() const { return path_; }

    // Finding a part walks the whole directory: an archive of millions of parts is refused first.
    void CheckPartCount() const
    {
        unz_global_info64 info{};
        if (unzGetGlobalInfo64(zip_, &info) != UNZ_OK)
            NotAWorkbook(path_);
        if (info.number_entry > quint64(kMaxParts))
            TooMany(path_, QStringLiteral("部件"), kMaxParts);
    }

    bool Has(const QString& name) const { return unzLocateFile(zip_, name.toUtf8().constData(), 0) == UNZ_OK; }

    // The size the archive declares for the part; 0 when absent.
    quint64 DeclaredSize(const QString& name) const
    {
        unz_file_info64 info{};
        if (unzLocateFile(zip_, name.toUtf8().constData(), 0) != UNZ_OK
            || unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return 0;
        return info.uncompressed_size;
    }

    qint64 Inflated() const { return inflated_; }
    // False once the read as a whole has inflated more than the limit.
    bool Count(qint64 bytes)
    {
        inflated_ += bytes;
        return inflated_ <= kMaxInflatedBytes;
    }

private:
    QString path_;
    unzFile zip_;
    qint64 inflated_ = 0;
};

// One part, inflated as the XML reader asks for more: memory stays at a buffer's size however
// large the part is, and a limit passed early stops the read before the rest is inflated.
// An absent part reads as empty.
class PartStream : public QIODevice {
public:
    PartStream(Zip& zip, const QString& name) : zip_(zip)
    {
        QIODevice::open(QIODevice::ReadOnly);
        if (unzLocateFile(zip_.Handle(), name.toUtf8().constData(), 0) != UNZ_OK)
            return;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_.Handle(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            NotAWorkbook(zip_.Path());
        if (info.flag & 1)
            throw Exception(QStringLiteral("文件 %1 有密码保护，无法读取").arg(zip_.Path()));
        if (info.uncompressed_size > quint64(kMaxInflatedBytes - zip_.Inflated()))
            TooLarge(zip_.Path());
        if (unzOpenCurrentFile(zip_.Handle()) != UNZ_OK)
            NotAWorkbook(zip_.Path());
        current_ = true;
    }
    ~PartStream() override
    {
        if (current_)
            unzCloseCurrentFile(zip_.Handle());
    }
    bool isSequential() const override { return true; }

    // After the XML reader stopped: throws when the part passed the limit, was cut short or
    // damaged, or fails its checksum.
    void Finish()
    {
        if (over_)
            TooLarge(zip_.Path());
        if (failed_)
            NotAWorkbook(zip_.Path());
        if (current_) {
            current_ = false;
            if (unzCloseCurrentFile(zip_.Handle()) != UNZ_OK)
                NotAWorkbook(zip_.Path());
        }
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (over_ || failed_)
            return -1;
        if (!current_)
            return 0;
        const int n = unzReadCurrentFile(zip_.Handle(), data, unsigned(std::min<qint64>(maxSize, 1 << 20)));
        if (n < 0) {
            failed_ = true;
            return -1;
        }
        if (!zip_.Count(n)) {
            over_ = true;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    Zip& zip_;
    bool current_ = false;
    bool over_ = false;
    bool failed_ = false;
};

QString Attr(const QXmlStreamReader& x, const char* name) { return x.attributes().value(QLatin1String(name)).toString(); }

// The part a relationship target names, relative to xl/ unless absolute.
QString PartName(const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
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

// "A1".."XFD1048576" and their kin past the bounds: letters, then digits.
bool LooksLikeCellName(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isLetter())
        ++i;
    const qsizetype letters = i;
    while (i < text.size() && text[i].isDigit())
        ++i;
    return letters > 0 && i > letters && i == text.size();
}

// One read of one file: the archive, the limits passed so far and the progress told.
class Reader {
public:
    Reader(const QString& path, const ReadProgress& progress) : path_(path), zip_(path), progress_(progress) {}

    BookData Read();

private:
    // Every few thousand elements: how far the read has come.
    void Tick()
    {
        if (progress_ && (++ticks_ & 0xFFF) == 0)
            Tell();
    }
    void Tell()
    {
        // Told only once the total is known: the sheet list comes first and is small.
        if (progress_ && total_ > 0 && !progress_(std::min(zip_.Inflated(), total_), total_))
            throw EAbort();
    }

    QVector<QString> SharedStrings(const QString& part);
    QVector<CellFormat> CellFormats(const QString& part);
    void ReadSheet(const QString& part, BookSheet& sheet);
    // The index of the row a <row> element starts; previous is the one before it (-1: none).
    int RowIndex(const QXmlStreamReader& x, int previous) const;
    // One <c> element of the given row, kept when it holds a value, a formula or a format;
    // lastColumn moves to its column.
    void ReadCell(QXmlStreamReader& x, int row, int& lastColumn, BookSheet& sheet);
    // A cell's value by its type: a shared string, a text, a truth value, else a number (the
    // text itself when it reads as none).
    QVariant CellValue(const QString& type, const QString& valueText) const;

    QString path_;
    Zip zip_;
    const ReadProgress& progress_;
    qint64 total_ = 0;
    quint32 ticks_ = 0;
    int cells_ = 0;
    QVector<QString> strings_;
    QVector<CellFormat> formats_;
};

QVector<QString> Reader::SharedStrings(const QString& part)
{
    QVector<QString> strings;
    QString current;
    int phonetic = 0;
    PartStream stream(zip_, part);
    for (QXmlStreamReader x(&stream); !x.atEnd();) {
        const auto t = x.readNext();
        Tick();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == u"si")
                current.clear();
            else if (x.name() == u"rPh")
                ++phonetic;
            else if (x.name() == u"t" && phonetic == 0)
                current += x.readElementText();
        } else if (t == QXmlStreamReader::EndElement) {
            if (x.name() == u"si") {
                if (strings.size() >= kMaxSharedStrings)
                    TooMany(path_, QStringLiteral("共享字符串"), kMaxSharedStrings);
                strings << current;
            } else if (x.name() == u"rPh") {
                --phonetic;
            }
        }
    }
    stream.Finish();
    return strings;
}

QVector<CellFormat> Reader::CellFormats(const QString& part)
{
    QHash<int, QString> codes;
    QVector<CellFormat> formats;
    bool inCellXfs = false;
    PartStream stream(zip_, part);
    for (QXmlStreamReader x(&stream); !x.atEnd();) {
        const auto t = x.readNext();
        Tick();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == u"numFmt") {
                if (codes.size() >= kMaxCellFormats)
                    TooMany(path_, QStringLiteral("数字格式"), kMaxCellFormats);
                codes.insert(Attr(x, "numFmtId").toInt(), Attr(x, "formatCode"));
            } else if (x.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && x.name() == u"xf") {
                if (formats.size() >= kMaxCellFormats)
                    TooMany(path_, QStringLiteral("单元格格式"), kMaxCellFormats);
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
    stream.Finish();
    return formats;
}

int Reader::RowIndex(const QXmlStreamReader& x, int previous) const
{
    // A row without its number follows the one before.
    qint64 number = qint64(previous) + 2;
    const QStringView r = x.attributes().value(QLatin1String("r"));
    if (!r.isEmpty()) {
        bool ok = false;
        number = r.toLongLong(&ok);
        if (!ok)
            OutOfRange(path_, QStringLiteral("行号 %1").arg(r.left(20)));
    }
    if (number < 1 || number > kMaxRows)
        OutOfRange(path_, QStringLiteral("第 %1 行").arg(number));
    return int(number - 1);
}

// What a cell's children hold: <f>, <v>, <is><t>.
struct CellContent {
    QString valueText;
    QString formula;
    bool hasValue = false;
};

// Reads the children of the <c> element the reader stands on, up to its end.
CellContent ReadCellContent(QXmlStreamReader& x)
{
    CellContent content;
    while (!x.atEnd()) {
        const auto ct = x.readNext();
        if (ct == QXmlStreamReader::EndElement && x.name() == u"c")
            break;
        if (ct != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"f") {
            content.formula = x.readElementText();
        } else if (x.name() == u"v") {
            content.valueText = x.readElementText();
            content.hasValue = true;
        } else if (x.name() == u"t") {
            content.valueText += x.readElementText();
            content.hasValue = true;
        }
    }
    return content;
}

QVariant Reader::CellValue(const QString& type, const QString& valueText) const
{
    if (type == u"s")
        return strings_.value(valueText.toInt());
    if (type == u"str" || type == u"inlineStr" || type == u"e")
        return valueText;
    if (type == u"b")
        return valueText == u"1";
    bool ok = false;
    const double d = valueText.toDouble(&ok);
    return ok ? QVariant(d) : QVariant(valueText);
}

void Reader::ReadCell(QXmlStreamReader& x, int row, int& lastColumn, BookSheet& sheet)
{
    int column = lastColumn + 1;
    int cellRow = std::max(row, 0);
    // One look at the attributes, no copies: a sheet has hundreds of thousands of cells.
    const QXmlStreamAttributes attributes = x.attributes();
    const QStringView ref = attributes.value(QLatin1String("r"));
    if (!ref.isEmpty() && !ParseCellName(ref, column, cellRow)) {
        if (LooksLikeCellName(ref))
            OutOfRange(path_, QStringLiteral("单元格 %1").arg(ref.left(20)));
        NotAWorkbook(path_);
    }
    if (column >= kMaxColumns)
        OutOfRange(path_, QStringLiteral("第 %1 行第 %2 列").arg(cellRow + 1).arg(qint64(column) + 1));
    lastColumn = column;
    const QString type = attributes.value(QLatin1String("t")).toString();
    const int style = attributes.value(QLatin1String("s")).toInt();
    const CellContent content = ReadCellContent(x);
    const CellFormat format = formats_.value(style);
    if (!content.hasValue && content.formula.isEmpty() && !format.wrap && format.numberFormat.isEmpty())
        return;
    if (++cells_ > kMaxBookCells)
        throw Exception(QStringLiteral("文件 %1 的单元格超过 %2 个，无法读取").arg(path_).arg(kMaxBookCells));
    BookCell& cell = sheet.AppendCell(column, cellRow);
    cell.formula = content.formula;
    cell.wordWrap = format.wrap;
    cell.numberFormat = format.numberFormat;
    if (content.hasValue)
        cell.value = CellValue(type, content.valueText);
}

void Reader::ReadSheet(const QString& part, BookSheet& sheet)
{
    int row = -1;
    int lastColumn = -1;
    PartStream stream(zip_, part);
    QXmlStreamReader x(&stream);
    while (!x.atEnd()) {
        const auto t = x.readNext();
        Tick();
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"row") {
            row = RowIndex(x, row);
            lastColumn = -1;
        } else if (x.name() == u"c") {
            ReadCell(x, row, lastColumn, sheet);
        }
    }
    // A sheet cut short (a truncated part) is no workbook either.
    stream.Finish();
    if (x.hasError())
        NotAWorkbook(path_);
}

BookData Reader::Read()
{
    if (!zip_.IsOpen())
        NotAWorkbook(path_);
    zip_.CheckPartCount();
    if (!zip_.Has(QStringLiteral("xl/workbook.xml")))
        NotAWorkbook(path_);

    // Sheet names and their parts, in workbook order.
    QHash<QString, QString> targets;
    {
        PartStream stream(zip_, QStringLiteral("xl/_rels/workbook.xml.rels"));
        QXmlStreamReader x(&stream);
        while (!x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"Relationship") {
                // Besides the sheets: strings, styles, theme and a few more.
                if (targets.size() >= kMaxSheets + 64)
                    TooMany(path_, QStringLiteral("工作表"), kMaxSheets);
                targets.insert(Attr(x, "Id"), Attr(x, "Target"));
            }
        stream.Finish();
    }
    QVector<QPair<QString, QString>> sheets;
    {
        PartStream stream(zip_, QStringLiteral("xl/workbook.xml"));
        QXmlStreamReader x(&stream);
        while (!x.atEnd()) {
            if (x.readNext() != QXmlStreamReader::StartElement || x.name() != u"sheet")
                continue;
            if (sheets.size() >= kMaxSheets)
                TooMany(path_, QStringLiteral("工作表"), kMaxSheets);
            QString rid;
            for (const QXmlStreamAttribute& a : x.attributes())
                if (a.name() == u"id")
                    rid = a.value().toString();
            sheets.push_back({Attr(x, "name"), targets.value(rid)});
        }
        stream.Finish();
        if (x.hasError())
            NotAWorkbook(path_);
    }
    if (sheets.isEmpty())
        NotAWorkbook(path_);

    // What is left to inflate, as declared: a book too large for the limit is refused before
    // any of it is read. A part that inflates beyond its declaration stops at the limit anyway.
    const QString stringsPart = QStringLiteral("xl/sharedStrings.xml");
    const QString stylesPart = QStringLiteral("xl/styles.xml");
    quint64 declared = zip_.DeclaredSize(stringsPart) + zip_.DeclaredSize(stylesPart);
    for (const auto& sheet : sheets) {
        if (sheet.second.isEmpty() || !zip_.Has(PartName(sheet.second)))
            NotAWorkbook(path_);
        declared += zip_.DeclaredSize(PartName(sheet.second));
        if (declared > quint64(kMaxInflatedBytes - zip_.Inflated()))
            TooLarge(path_);
    }
    total_ = std::max<qint64>(zip_.Inflated() + qint64(declared), 1);
    Tell();

    strings_ = SharedStrings(stringsPart);
    formats_ = CellFormats(stylesPart);
    BookData book;
    for (const auto& [name, target] : sheets) {
        BookSheet sheet;
        sheet.name = name;
        ReadSheet(PartName(target), sheet);
        book.sheets.push_back(std::move(sheet));
    }
    Tell();
    return book;
}

} // namespace

BookData ReadXlsx(const QString& path, const ReadProgress& progress)
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
    return Reader(path, progress).Read();
}

} // namespace platform::excel
