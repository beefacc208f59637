#pragma once
// Workbook archives made by hand with minizip: the minimal .xlsx the workbook fuzzer wraps its
// input into, its seed corpus, and the hostile files the tests replay (parts hundreds of
// megabytes large that deflate to a few hundred kilobytes).
#include <QByteArray>
#include <QString>
#include <QVector>

namespace fuzz {

// One part: head, then repeated `times` times, then tail. A repeated part is streamed into the
// archive, never held whole.
struct ArchivePart {
    QString name;
    QByteArray head;
    QByteArray repeated = {};
    qint64 times = 0;
    QByteArray tail = {};
};

// Writes the parts, deflated, as a zip archive. Throws platform::Exception when it cannot.
void WriteArchive(const QString& path, const QVector<ArchivePart>& parts);

// The XML around the inner parts of the usual workbook parts.
QByteArray SheetXml(const QByteArray& sheetData);
QByteArray SharedStringsXml(const QByteArray& items);
QByteArray StylesXml(const QByteArray& inner);

// A workbook of one sheet per sheet part given (named Sheet1, Sheet2, ...; parts may repeat
// a target to point several sheets at one part), with the shared strings and styles parts.
// Each part is complete XML; an empty strings or styles part is left out.
QVector<ArchivePart> WorkbookParts(const QVector<ArchivePart>& sheets, const ArchivePart& strings,
                                   const ArchivePart& styles);
// Several sheets reading one part: sheetCount sheets whose relationships all name sheetPart.
QVector<ArchivePart> SharedPartWorkbook(int sheetCount, const ArchivePart& sheetPart);

} // namespace fuzz
