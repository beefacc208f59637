#include "model/SqlText.h"

namespace model {

QString SqlEsc(const QString& text)
{
    // Most texts hold neither a quote nor a NUL: they go back shared, not copied.
    const char16_t* c = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const e = c + text.size();
    while (c != e && *c != u'\'' && *c != 0)
        ++c;
    if (c == e)
        return text;
    QString r;
    r.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'\'')
            r += QStringLiteral("''");
        else if (c != QChar(u'\0'))
            r += c;
    }
    return r;
}

QString QuotedStr(const QString& text)
{
    return u'\'' + SqlEsc(text) + u'\'';
}

} // namespace model
