#include "platform/FormatFloat.h"

#include "platform/core/Dataset.h"

#include <cmath>

namespace platform {

namespace {

// A non-negative decimal number as digit strings: integer digits without leading zeros ("" for
// zero) and fraction digits.
struct Decimal {
    QString intDigits;
    QString fracDigits;
};

QString StripLeadingZeros(const QString& s)
{
    int i = 0;
    while (i < s.size() && s[i] == u'0')
        ++i;
    return s.mid(i);
}

// Rounds to `decimals` fraction digits, half away from zero (on the magnitude).
Decimal Round(Decimal d, int decimals)
{
    QString frac = d.fracDigits;
    const bool up = frac.size() > decimals && frac[decimals] >= u'5';
    frac = frac.left(decimals).leftJustified(decimals, u'0');
    QString all = d.intDigits + frac;
    if (up) {
        int i = all.size() - 1;
        for (; i >= 0; --i) {
            if (all[i] == u'9') {
                all[i] = u'0';
            } else {
                all[i] = QChar(all[i].unicode() + 1);
                break;
            }
        }
        if (i < 0)
            all.prepend(u'1');
    }
    Decimal out;
    out.fracDigits = all.right(decimals);
    out.intDigits = StripLeadingZeros(all.left(all.size() - decimals));
    return out;
}

bool IsZero(const Decimal& d)
{
    for (QChar c : d.intDigits + d.fracDigits)
        if (c != u'0')
            return false;
    return true;
}

// Splits on ';' outside quoted literals.
QStringList Sections(const QString& format)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            cur += c;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            cur += c;
        } else if (c == u';') {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

struct SectionInfo {
    int decimals = 0;     // placeholders after the point
    int minDecimals = 0;  // up to the last '0' after the point
    int minInt = 0;       // placeholders from the first '0' to the point
    bool thousands = false;
    bool hasPoint = false;
    bool hasIntPlaceholder = false;
};

SectionInfo Analyse(const QString& s)
{
    SectionInfo info;
    QChar quote;
    bool afterPoint = false;
    int intPlaceholders = 0;
    int firstZero = -1; // index among integer placeholders
    for (QChar c : s) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                ++info.decimals;
                if (c == u'0')
                    info.minDecimals = info.decimals;
            } else {
                if (c == u'0' && firstZero < 0)
                    firstZero = intPlaceholders;
                ++intPlaceholders;
            }
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
            info.hasPoint = true;
        } else if (c == u',') {
            info.thousands = true;
        }
    }
    info.hasIntPlaceholder = intPlaceholders > 0;
    info.minInt = firstZero < 0 ? 0 : intPlaceholders - firstZero;
    return info;
}

QString Group(const QString& digits)
{
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

QString Apply(const QString& section, const SectionInfo& info, const Decimal& d, bool minus)
{
    QString intText = d.intDigits;
    if (intText.size() < info.minInt)
        intText = intText.rightJustified(info.minInt, u'0');
    if (info.thousands)
        intText = Group(intText);
    QString frac = d.fracDigits;
    while (frac.size() > info.minDecimals && frac.endsWith(u'0'))
        frac.chop(1);

    QString out;
    if (minus)
        out += u'-';
    QChar quote;
    bool afterPoint = false;
    bool intEmitted = false;
    int fracPos = 0;
    for (QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                if (fracPos < frac.size())
                    out += frac[fracPos];
                ++fracPos;
            } else if (!intEmitted) {
                out += intText;
                intEmitted = true;
            }
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
            if (!intEmitted) {
                out += intText;
                intEmitted = true;
            }
            if (!frac.isEmpty())
                out += u'.';
        } else if (c == u',') {
            // a flag, not a character of the result
        } else {
            out += c;
        }
    }
    return out;
}

QString FormatDecimal(const QString& format, const Decimal& magnitude, bool negative)
{
    const QStringList sections = Sections(format);
    const bool zero = IsZero(magnitude);
    int index = 0;
    if (zero && sections.size() > 2 && !sections[2].isEmpty())
        index = 2;
    else if (negative && !zero && sections.size() > 1 && !sections[1].isEmpty())
        index = 1;
    SectionInfo info = Analyse(sections[index]);
    Decimal rounded = Round(magnitude, info.decimals);
    if (IsZero(rounded) && index != 2) {
        // Rounds to zero: shown as zero, in the zero section when there is one.
        if (sections.size() > 2 && !sections[2].isEmpty()) {
            index = 2;
            info = Analyse(sections[2]);
            rounded = Round(Decimal{}, info.decimals);
        } else if (index == 1) {
            index = 0;
            info = Analyse(sections[0]);
            rounded = Round(Decimal{}, info.decimals);
        }
        return Apply(sections[index], info, rounded, false);
    }
    return Apply(sections[index], info, rounded, negative && index == 0);
}

Decimal FromDouble(double magnitude)
{
    Decimal d;
    if (magnitude == 0)
        return d;
    // 15 significant digits, as the platform's float-to-decimal conversion keeps.
    const QString e = QString::number(magnitude, 'e', 14); // d.dddddddddddddde+XX
    const int ePos = e.indexOf(u'e');
    QString mant = e.left(ePos);
    mant.remove(u'.');
    const int exp = e.mid(ePos + 1).toInt();
    if (exp >= 0) {
        if (mant.size() <= exp + 1) {
            d.intDigits = mant.leftJustified(exp + 1, u'0');
        } else {
            d.intDigits = mant.left(exp + 1);
            d.fracDigits = mant.mid(exp + 1);
        }
    } else {
        d.fracDigits = QString(-exp - 1, u'0') + mant;
    }
    d.intDigits = StripLeadingZeros(d.intDigits);
    return d;
}

} // namespace

QString FormatFloat(const QString& format, double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (format.isEmpty())
        return VariantToText(value);
    return FormatDecimal(format, FromDouble(std::fabs(value)), value < 0);
}

QString FormatFloat(const QString& format, Currency value)
{
    if (format.isEmpty())
        return value.ToString();
    const int64_t raw = value.Raw();
    const uint64_t a = raw < 0 ? uint64_t(-(raw + 1)) + 1 : uint64_t(raw);
    Decimal d;
    d.intDigits = StripLeadingZeros(QString::number(a / uint64_t(Currency::Scale)));
    d.fracDigits = QString::number(a % uint64_t(Currency::Scale)).rightJustified(4, u'0');
    return FormatDecimal(format, d, raw < 0);
}

QString FormatVariant(const QString& format, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<Currency>())
        return FormatFloat(format, value.value<Currency>());
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        if (format.isEmpty())
            return value.toString();
        const qlonglong v = value.toLongLong();
        Decimal d;
        d.intDigits = StripLeadingZeros(QString::number(v < 0 ? -(v + 1) + 1ULL : qulonglong(v)));
        return FormatDecimal(format, d, v < 0);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return FormatFloat(format, value.toDouble());
    case QMetaType::QString: {
        if (format.isEmpty())
            return value.toString();
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        return ok ? FormatFloat(format, d) : value.toString();
    }
    default:
        return VariantToText(value);
    }
}

} // namespace platform
