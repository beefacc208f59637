#include "platform/core/ValueText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace platform {

namespace {

struct DateFormat {
    const char* text;
    DateForm form;
};

// Tried in this order; a text fits at most one of them.
constexpr DateFormat kDateFormats[] = {
    {"yyyy-MM-dd HH:mm:ss", DateForm::Iso},     {"yyyy-MM-dd HH:mm:ss.zzz", DateForm::Milliseconds},
    {"yyyy-MM-ddTHH:mm:ss", DateForm::Iso},     {"yyyy-MM-dd HH:mm", DateForm::Iso},
    {"yyyy-MM-dd", DateForm::Iso},              {"yyyy/M/d H:mm:ss", DateForm::Slashes},
    {"yyyy/M/d", DateForm::Slashes},
};

bool IsWholeBelow(double v, double bound) { return v == std::floor(v) && std::fabs(v) < bound; }

// v in fixed notation, the fraction cut at the 15th significant digit and at maxDecimals.
QString FixedText(double v, int maxDecimals)
{
    const int magnitude = int(std::floor(std::log10(std::fabs(v))));
    return QString::number(v, 'f', std::clamp(14 - magnitude, 0, maxDecimals));
}

// Trailing zeros of a fraction dropped, and the point with them when nothing is left after it.
void DropTrailingZeros(QString& text)
{
    if (!text.contains(u'.'))
        return;
    int end = text.size();
    while (end > 0 && text[end - 1] == u'0')
        --end;
    if (end > 0 && text[end - 1] == u'.')
        --end;
    text.truncate(end);
}

} // namespace

// ---- dates ---------------------------------------------------------------------------------

QDateTime ParseDateText(const QString& text, DateForms forms)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    for (const DateFormat& f : kDateFormats) {
        if (!forms.testFlag(f.form))
            continue;
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(f.text));
        if (dt.isValid())
            return dt;
    }
    if (forms.testFlag(DateForm::ShortDate)) {
        const QDate d = QLocale::system().toDate(t, QLocale::ShortFormat);
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return {};
}

QString CanonicalDateText(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                  t.second());
    return QString::fromLatin1(buf);
}

bool ParseCanonicalWallClock(const char* s, int len, QDate& date, int& msecsOfDay)
{
    auto num = [&](int at, int width, int& out) {
        if (at + width > len)
            return false;
        int v = 0;
        for (int k = 0; k < width; ++k) {
            const char c = s[at + k];
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + (c - '0');
        }
        out = v;
        return true;
    };
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    if (len < 10 || !num(0, 4, y) || s[4] != '-' || !num(5, 2, mo) || s[7] != '-' || !num(8, 2, d))
        return false;
    int p = 10;
    if (p < len && (s[p] == ' ' || s[p] == 'T')) {
        if (!num(p + 1, 2, h) || p + 3 >= len || s[p + 3] != ':' || !num(p + 4, 2, mi))
            return false;
        p += 6;
        if (p < len && s[p] == ':') {
            if (!num(p + 1, 2, sec))
                return false;
            p += 3;
            if (p < len && s[p] == '.') {
                ++p;
                int scale = 100;
                while (p < len && s[p] >= '0' && s[p] <= '9') {
                    ms += (s[p] - '0') * scale;
                    scale /= 10;
                    ++p;
                }
            }
        }
    }
    if (p != len)
        return false;
    date = QDate(y, mo, d);
    const QTime time(h, mi, sec, ms);
    if (!date.isValid() || !time.isValid())
        return false;
    msecsOfDay = time.msecsSinceStartOfDay();
    return true;
}

QDateTime ParseCanonicalDate(const char* s, int len)
{
    QDate date;
    int msecs = 0;
    if (!ParseCanonicalWallClock(s, len, date, msecs))
        return {};
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(msecs));
}

QDateTime DateTextCache::Parse(const char* text, int length)
{
    for (const Entry& e : entries_)
        if (e.length == length && std::memcmp(e.text, text, size_t(length)) == 0)
            return e.value;
    QDateTime dt = ParseCanonicalDate(text, length);
    if (length <= int(sizeof(Entry::text))) {
        Entry& e = entries_[next_];
        next_ = (next_ + 1) % int(std::size(entries_));
        std::memcpy(e.text, text, size_t(length));
        e.length = length;
        e.value = dt;
    }
    return dt;
}

std::optional<QDateTime> ParseOracleDate(const QString& text, const QString& format)
{
    const QString f = format.toUpper();
    const int fn = f.size();
    const int n = text.size();
    int year = -1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int fi = 0;
    int p = 0;
    auto skipSpace = [&] {
        while (p < n && text[p].isSpace())
            ++p;
    };
    while (fi < fn) {
        skipSpace();
        if (p >= n)
            break; // shorter input: the remaining fields keep their start values
        int* target = nullptr;
        int width = 2;
        auto take = [&](const char* name, int* field, int w) {
            const int len = int(std::strlen(name));
            if (f.mid(fi, len) == QLatin1String(name)) {
                target = field;
                width = w;
                fi += len;
                return true;
            }
            return false;
        };
        if (take("YYYY", &year, 4) || take("HH24", &hour, 2) || take("HH12", &hour, 2) || take("HH", &hour, 2)
            || take("MM", &month, 2) || take("DD", &day, 2) || take("MI", &minute, 2) || take("SS", &second, 2)) {
            int value = 0;
            int digits = 0;
            while (p < n && digits < width && text[p].isDigit()) {
                value = value * 10 + text[p].digitValue();
                ++p;
                ++digits;
            }
            if (digits == 0)
                return std::nullopt;
            *target = value;
            continue;
        }
        const QChar fc = f[fi];
        if (fc.isLetterOrNumber())
            return std::nullopt; // a format element we do not know
        // Separators of the format match any punctuation of the input.
        ++fi;
        if (p < n && !text[p].isLetterOrNumber())
            ++p;
    }
    skipSpace();
    if (p < n || year < 0)
        return std::nullopt;
    const QDate d(year, month, day);
    const QTime t(hour, minute, second);
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return QDateTime(d, t);
}

// ---- numbers -------------------------------------------------------------------------------

QString PlainNumberText(double v)
{
    if (!std::isfinite(v))
        return {};
    if (v == 0)
        return QStringLiteral("0");
    if (IsWholeBelow(v, 1e18))
        return QString::number(qint64(v));
    return TrimDecimalText(FixedText(v, 40));
}

QString TrimDecimalText(QString text)
{
    if (text.contains(u'e') || text.contains(u'E')) {
        bool ok = false;
        const double d = text.toDouble(&ok);
        return ok ? PlainNumberText(d) : text;
    }
    DropTrailingZeros(text);
    if (text == QLatin1String("-0") || text.isEmpty() || text == QLatin1String("-"))
        return QStringLiteral("0");
    return text;
}

QString OracleNumberText(double v)
{
    if (!std::isfinite(v))
        return v > 0 ? QStringLiteral("~") : (v < 0 ? QStringLiteral("-~") : QStringLiteral("NaN"));
    if (v == 0)
        return QStringLiteral("0");
    QString s;
    if (IsWholeBelow(v, 1e15)) {
        s = QString::number(qint64(v));
    } else {
        s = FixedText(v, 60);
        DropTrailingZeros(s);
    }
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return s;
}

QString FieldNumberText(double v)
{
    // The shortest text that reads back as the same number, no exponent for ordinary values.
    if (IsWholeBelow(v, 1e15))
        return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

} // namespace platform
