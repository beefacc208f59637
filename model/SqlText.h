#pragma once
// SQL literals. Statements are assembled as text, so every text value placed between single
// quotes goes through SqlEsc: a quote inside the value is doubled and cannot end the literal.
#include <QString>

namespace model {

// The text ready to stand between the statement's own quotes: ' doubled, NUL characters
// dropped (a C-string engine API would cut the statement there).
QString SqlEsc(const QString& text);
// 'text' with the same escaping.
QString QuotedStr(const QString& text);

} // namespace model
