#include "platform/core/Currency.h"

#include <cmath>
#include <limits>

namespace platform {

namespace {

// a / b rounded to the nearest integer, ties to even (b > 0).
int64_t DivRoundHalfEven(__int128 a, __int128 b)
{
    __int128 q = a / b;
    __int128 r = a % b;
    if (r < 0) {
        r = -r;
        const __int128 twice = r * 2;
        if (twice > b || (twice == b && (q % 2) != 0))
            --q;
    } else {
        const __int128 twice = r * 2;
        if (twice > b || (twice == b && (q % 2) != 0))
            ++q;
    }
    return int64_t(q);
}

} // namespace

bool Currency::Holds(double v)
{
    return std::isfinite(v) && std::fabs(v) < double(MaxWhole);
}

Currency Currency::FromDouble(double v)
{
    // Go through the shortest decimal text so that 8.3325 stays 8.3325 and is not 8.33249999...
    if (!Holds(v))
        return Currency();
    const QString text = QString::number(v, 'f', 10);
    if (auto c = Parse(text))
        return *c;
    return FromRaw(int64_t(std::nearbyint(v * Scale)));
}

std::optional<Currency> Currency::Parse(const QString& input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        ++i;
    }
    __int128 whole = 0;
    int digits = 0;
    for (; i < text.size() && text[i].isDigit(); ++i, ++digits) {
        whole = whole * 10 + (text[i].unicode() - u'0');
        if (whole > MaxWhole)
            return std::nullopt;
    }
    // Fraction: keep 4 digits plus everything after for rounding.
    __int128 frac = 0;
    __int128 fracScale = 1;
    int fracDigits = 0;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        for (; i < text.size() && text[i].isDigit(); ++i, ++fracDigits) {
            if (fracDigits < 18) {
                frac = frac * 10 + (text[i].unicode() - u'0');
                fracScale *= 10;
            }
        }
    }
    if (digits == 0 && fracDigits == 0)
        return std::nullopt;
    // Optional exponent is not part of currency text.
    if (i != text.size())
        return std::nullopt;
    const __int128 scaledFrac = fracScale == 1 ? 0 : DivRoundHalfEven(frac * Scale, fracScale);
    __int128 raw = whole * Scale + scaledFrac;
    if (negative)
        raw = -raw;
    return FromRaw(int64_t(raw));
}

QString Currency::ToString() const
{
    // Written from the right into a buffer: a bill's save writes three amounts for every line.
    const bool negative = raw_ < 0;
    const uint64_t a = negative ? uint64_t(-(raw_ + 1)) + 1 : uint64_t(raw_);
    char16_t buf[32];
    char16_t* const end = buf + std::size(buf);
    char16_t* p = end;
    uint64_t frac = a % Scale;
    if (frac != 0) {
        int digits = 4;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        for (; digits > 0; --digits, frac /= 10)
            *--p = char16_t(u'0' + frac % 10);
        *--p = u'.';
    }
    uint64_t whole = a / Scale;
    do {
        *--p = char16_t(u'0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative)
        *--p = u'-';
    return QString(reinterpret_cast<const QChar*>(p), end - p);
}

QString Currency::ToFixed(int decimals) const
{
    decimals = std::clamp(decimals, 0, 4);
    int64_t div = 1;
    for (int i = decimals; i < 4; ++i)
        div *= 10;
    const int64_t rounded = DivRoundHalfEven(raw_, div); // in units of 10^-decimals
    const bool negative = rounded < 0;
    const uint64_t a = negative ? uint64_t(-(rounded + 1)) + 1 : uint64_t(rounded);
    uint64_t pow = 1;
    for (int i = 0; i < decimals; ++i)
        pow *= 10;
    QString s = QString::number(a / pow);
    if (decimals > 0)
        s += u'.' + QString::number(a % pow).rightJustified(decimals, u'0');
    return negative ? u'-' + s : s;
}

Currency Currency::operator*(Currency o) const
{
    return FromRaw(DivRoundHalfEven(__int128(raw_) * o.raw_, Scale));
}

Currency Currency::operator*(double factor) const
{
    return *this * FromDouble(factor);
}

void RegisterValueTypes()
{
    qRegisterMetaType<Currency>();
}

} // namespace platform
