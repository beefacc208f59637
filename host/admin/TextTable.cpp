#include "host/admin/TextTable.h"

#include "platform/core/Dataset.h"

#include <QStringList>
#include <vector>

namespace host::admin {

namespace {

bool IsWide(char32_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0x303E) || (u >= 0x3041 && u <= 0x33FF)
        || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xA000 && u <= 0xA4CF)
        || (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F)
        || (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0x1F300 && u <= 0x1FAFF)
        || (u >= 0x20000 && u <= 0x3FFFD);
}

bool IsNumeric(platform::FieldType t)
{
    return t == platform::FieldType::Integer || t == platform::FieldType::Float || t == platform::FieldType::Currency;
}

QString Cell(const QVariant& v)
{
    QString s = platform::VariantToText(v);
    s.replace(QStringLiteral("\r"), QStringLiteral("\\r"));
    s.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
    s.replace(QStringLiteral("\t"), QStringLiteral(" "));
    return s;
}

QString Pad(const QString& text, int width, bool right)
{
    const QString fill(std::max(0, width - DisplayWidth(text)), u' ');
    return right ? fill + text : text + fill;
}

} // namespace

int DisplayWidth(const QString& text)
{
    int w = 0;
    for (char32_t u : text.toUcs4()) {
        if (u == 0x200B || (u >= 0x0300 && u <= 0x036F))
            continue; // zero width, combining marks
        w += IsWide(u) ? 2 : 1;
    }
    return w;
}

QString FormatTable(platform::Dataset& data)
{
    const int cols = data.FieldCount();
    const int rows = data.RecordCount();
    std::vector<int> width(static_cast<size_t>(cols), 0);
    std::vector<QStringList> cells(static_cast<size_t>(rows));
    for (int c = 0; c < cols; ++c)
        width[size_t(c)] = DisplayWidth(data.FieldDefAt(c).name);
    for (int r = 0; r < rows; ++r) {
        QStringList& line = cells[size_t(r)];
        for (int c = 0; c < cols; ++c) {
            line << Cell(data.At(r, c));
            width[size_t(c)] = std::max(width[size_t(c)], DisplayWidth(line.back()));
        }
    }

    QString out;
    QStringList head, rule;
    for (int c = 0; c < cols; ++c) {
        head << Pad(data.FieldDefAt(c).name, width[size_t(c)], false);
        rule << QString(width[size_t(c)], u'-');
    }
    auto emitLine = [&out](const QStringList& parts) {
        QString line = parts.join(QStringLiteral(" | "));
        while (line.endsWith(u' '))
            line.chop(1);
        out += line + u'\n';
    };
    if (cols > 0) {
        emitLine(head);
        out += rule.join(QStringLiteral("-+-")) + u'\n';
    }
    for (int r = 0; r < rows; ++r) {
        QStringList parts;
        for (int c = 0; c < cols; ++c)
            parts << Pad(cells[size_t(r)][c], width[size_t(c)], IsNumeric(data.FieldDefAt(c).type));
        emitLine(parts);
    }
    out += rows == 1 ? QStringLiteral("(1 row)\n") : QStringLiteral("(%1 rows)\n").arg(rows);
    return out;
}

} // namespace host::admin
