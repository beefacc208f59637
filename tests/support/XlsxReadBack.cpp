#include "tests/support/XlsxReadBack.h"

#include <QFile>
#include <QVector>
#include <QXmlStreamReader>
#include <unzip.h>

namespace testsupport {

namespace {

QByteArray Entry(unzFile zip, const char* name)
{
    QByteArray out;
    if (unzLocateFile(zip, name, 0) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return out;
    char buf[16384];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buf, sizeof buf)) > 0)
        out.append(buf, n);
    unzCloseCurrentFile(zip);
    return out;
}

} // namespace

QMap<QString, ReadCell> ReadFirstSheet(const QString& path)
{
    QMap<QString, ReadCell> cells;
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    if (!zip)
        return cells;
    const QByteArray sheet = Entry(zip, "xl/worksheets/sheet1.xml");
    const QByteArray shared = Entry(zip, "xl/sharedStrings.xml");
    const QByteArray styles = Entry(zip, "xl/styles.xml");
    unzClose(zip);

    QVector<QString> strings;
    for (QXmlStreamReader x(shared); !x.atEnd();) {
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"t")
            strings << x.readElementText();
    }
    // Style index -> number format code.
    QMap<int, QString> formatCodes{{0, QStringLiteral("General")}, {2, QStringLiteral("0.00")}};
    QVector<QString> xfFormats;
    bool inCellXfs = false;
    for (QXmlStreamReader x(styles); !x.atEnd();) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement && x.name() == u"numFmt")
            formatCodes[x.attributes().value(QLatin1String("numFmtId")).toInt()] = x.attributes().value(QLatin1String("formatCode")).toString();
        else if (t == QXmlStreamReader::StartElement && x.name() == u"cellXfs")
            inCellXfs = true;
        else if (t == QXmlStreamReader::EndElement && x.name() == u"cellXfs")
            inCellXfs = false;
        else if (t == QXmlStreamReader::StartElement && inCellXfs && x.name() == u"xf")
            xfFormats << formatCodes.value(x.attributes().value(QLatin1String("numFmtId")).toInt(), QStringLiteral("General"));
    }
    QString ref, type;
    int style = 0;
    for (QXmlStreamReader x(sheet); !x.atEnd();) {
        const auto t = x.readNext();
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"c") {
            ref = x.attributes().value(QLatin1String("r")).toString();
            type = x.attributes().value(QLatin1String("t")).toString();
            style = x.attributes().value(QLatin1String("s")).toInt();
        } else if (x.name() == u"v" || x.name() == u"t") {
            const QString v = x.readElementText();
            ReadCell c;
            c.number = type.isEmpty() || type == u"n";
            c.text = type == u"s" ? strings.value(v.toInt()) : v;
            c.numberFormat = xfFormats.value(style, QStringLiteral("General"));
            cells[ref] = c;
        }
    }
    return cells;
}

} // namespace testsupport
