#include "fuzz/WorkbookArchive.h"

#include "platform/core/Exception.h"

#include <QFile>
#include <zip.h>

namespace fuzz {

namespace {

const char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(</Types>)";
const char kPackageRels[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";
const char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kRelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

[[noreturn]] void Failed(const QString& path)
{
    throw platform::Exception(QStringLiteral("无法写入文件 %1").arg(path));
}

QByteArray Relationship(int id, const char* type, const QString& target)
{
    return QByteArrayLiteral("<Relationship Id=\"rId") + QByteArray::number(id)
           + QByteArrayLiteral("\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/")
           + type + QByteArrayLiteral("\" Target=\"") + target.toUtf8() + QByteArrayLiteral("\"/>");
}

} // namespace

void WriteArchive(const QString& path, const QVector<ArchivePart>& parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        Failed(path);
    bool ok = true;
    for (const ArchivePart& part : parts) {
        zip_fileinfo info{};
        // Deflated at the best level: a repeated part shrinks about a thousandfold.
        ok = zipOpenNewFileInZip64(zip, part.name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                   Z_DEFLATED, 9, 1) == ZIP_OK;
        auto write = [&](const QByteArray& bytes) {
            ok = ok && (bytes.isEmpty() || zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())) == ZIP_OK);
        };
        write(part.head);
        if (part.times > 0 && !part.repeated.isEmpty()) {
            // Many copies per call: minizip's overhead per call would dominate otherwise.
            const qint64 perChunk = std::max<qint64>(1, (1 << 20) / part.repeated.size());
            const QByteArray chunk = part.repeated.repeated(qsizetype(std::min(perChunk, part.times)));
            qint64 left = part.times;
            for (; ok && left >= perChunk; left -= perChunk)
                write(chunk);
            if (left > 0)
                write(part.repeated.repeated(qsizetype(left)));
        }
        write(part.tail);
        ok = zipCloseFileInZip(zip) == ZIP_OK && ok;
        if (!ok)
            break;
    }
    if (zipClose(zip, nullptr) != ZIP_OK || !ok)
        Failed(path);
}

QByteArray SheetXml(const QByteArray& sheetData)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"") + kMain
           + QByteArrayLiteral("\"><sheetData>") + sheetData + QByteArrayLiteral("</sheetData></worksheet>");
}

QByteArray SharedStringsXml(const QByteArray& items)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"") + kMain + QByteArrayLiteral("\">")
           + items + QByteArrayLiteral("</sst>");
}

QByteArray StylesXml(const QByteArray& inner)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet xmlns=\"") + kMain
           + QByteArrayLiteral("\">") + inner + QByteArrayLiteral("</styleSheet>");
}

namespace {

QVector<ArchivePart> Workbook(int sheetCount, const QVector<ArchivePart>& sheetParts, bool shared,
                              const ArchivePart& strings, const ArchivePart& styles)
{
    QByteArray sheets;
    QByteArray rels;
    for (int i = 1; i <= sheetCount; ++i) {
        sheets += QByteArrayLiteral("<sheet name=\"Sheet") + QByteArray::number(i) + QByteArrayLiteral("\" sheetId=\"")
                  + QByteArray::number(i) + QByteArrayLiteral("\" r:id=\"rId") + QByteArray::number(i)
                  + QByteArrayLiteral("\"/>");
        const QString target = QStringLiteral("worksheets/sheet%1.xml").arg(shared ? 1 : i);
        rels += Relationship(i, "worksheet", target);
    }
    rels += Relationship(sheetCount + 1, "sharedStrings", QStringLiteral("sharedStrings.xml"));
    rels += Relationship(sheetCount + 2, "styles", QStringLiteral("styles.xml"));
    QVector<ArchivePart> parts{
        {QStringLiteral("[Content_Types].xml"), kContentTypes},
        {QStringLiteral("_rels/.rels"), kPackageRels},
        {QStringLiteral("xl/workbook.xml"),
         QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"") + kMain
             + QByteArrayLiteral("\" xmlns:r=\"") + kRelNs + QByteArrayLiteral("\"><sheets>") + sheets
             + QByteArrayLiteral("</sheets></workbook>")},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">")
             + rels + QByteArrayLiteral("</Relationships>")},
    };
    for (int i = 0; i < sheetParts.size(); ++i) {
        ArchivePart part = sheetParts[i];
        part.name = QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1);
        parts << part;
    }
    if (!strings.head.isEmpty()) {
        ArchivePart part = strings;
        part.name = QStringLiteral("xl/sharedStrings.xml");
        parts << part;
    }
    if (!styles.head.isEmpty()) {
        ArchivePart part = styles;
        part.name = QStringLiteral("xl/styles.xml");
        parts << part;
    }
    return parts;
}

} // namespace

QVector<ArchivePart> WorkbookParts(const QVector<ArchivePart>& sheets, const ArchivePart& strings,
                                   const ArchivePart& styles)
{
    return Workbook(int(sheets.size()), sheets, false, strings, styles);
}

QVector<ArchivePart> SharedPartWorkbook(int sheetCount, const ArchivePart& sheetPart)
{
    return Workbook(sheetCount, {sheetPart}, true, {}, {});
}

} // namespace fuzz
