#include "model/SqlText.h"

namespace model {

QString SqlEsc(const QString& text)
{
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
