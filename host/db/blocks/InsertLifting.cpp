#include "host/db/blocks/InsertLifting.h"

#include <charconv>

namespace host::db::plsql {

namespace {

// A quoted text's value ('' inside it one quote); null for '' itself and for any other form.
QVariant LiftableText(QStringView literal)
{
    if (literal.size() < 3 || literal.front() != u'\'' || literal.back() != u'\'')
        return {};
    const QStringView body = literal.mid(1, literal.size() - 2);
    if (!body.contains(u'\''))
        return QVariant(body.toString());
    QString value;
    value.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        value += body[i];
        if (body[i] == u'\'')
            ++i; // the second of the pair
    }
    return QVariant(value);
}

QVariant LiftableNumber(QStringView text)
{
    int digits = 0, dots = 0;
    bool leading = true;
    qint64 whole = 0;
    for (QChar c : text) {
        if (c == u'.') {
            ++dots;
            continue;
        }
        if (c < u'0' || c > u'9')
            return {}; // an exponent
        if (leading && c == u'0')
            continue;
        leading = false;
        if (++digits > 18)
            return {};
        whole = whole * 10 + (c.unicode() - u'0'); // 18 digits at most: no overflow
    }
    if (dots == 0)
        return QVariant(whole);
    if (dots != 1 || digits > 15 || text.size() > 40)
        return {};
    // Plain digits and one point: read as Latin-1 with from_chars, correctly rounded and far
    // cheaper than the general conversion.
    char buf[48];
    for (qsizetype k = 0; k < text.size(); ++k)
        buf[k] = char(text[k].unicode());
    double v = 0;
    const char* e = buf + text.size();
    const auto r = std::from_chars(buf, e, v);
    return r.ec == std::errc() && r.ptr == e ? QVariant(v) : QVariant();
}

} // namespace

bool LiftInsert(QStringView text, const SqlText& sql, LiftedSql& out)
{
    out.text.resize(0);
    out.binds.resize(0);
    out.values.resize(0);
    if (sql.marks.empty())
        return false;
    out.text.reserve(text.size() + 4 * qsizetype(sql.marks.size()));
    qsizetype variable = 0, last = 0;
    int lifted = 0;
    for (const ValueMark& m : sql.marks) {
        int bind = 0;
        switch (m.kind) {
        case ValueMark::Kind::Var:
            bind = sql.binds.value(variable++);
            break;
        case ValueMark::Kind::Now:
            // The runner binds the engine's time instead of having the engine work out the
            // local time for every row.
            bind = LiftedSql::NowBind;
            ++lifted;
            break;
        case ValueMark::Kind::Text:
        case ValueMark::Kind::Number: {
            const QStringView literal = text.mid(m.pos, m.length);
            QVariant v = m.kind == ValueMark::Kind::Text ? LiftableText(literal) : LiftableNumber(literal);
            if (!v.isValid())
                continue; // stays in the text
            out.values.push_back(std::move(v));
            bind = -int(out.values.size());
            ++lifted;
            break;
        }
        }
        out.text += text.mid(last, m.pos - last);
        out.binds.push_back(bind);
        out.text += u':';
        out.text += QString::number(out.binds.size());
        last = m.pos + m.length;
    }
    if (lifted == 0)
        return false;
    out.text += text.mid(last);
    return true;
}

} // namespace host::db::plsql
