#pragma once
// Text-to-number conversions with a fallback, as the commands read values back from
// QueryValue: an empty or malformed text takes the caller's default instead of failing.
#include <QString>

namespace model {

// Whole number (blanks around it allowed, optional sign); def when empty, not a whole
// number, or out of the 64-bit range.
qint64 StrToIntDef(const QString& text, qint64 def);
// Decimal number, exponent allowed; def when empty, not a number, or not finite.
double StrToFloatDef(const QString& text, double def);

} // namespace model
