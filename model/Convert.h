#pragma once
// The module's conversions between numbers and text: read back from QueryValue with a fallback
// (an empty or malformed text takes the caller's default instead of failing), and written into
// SQL and onto the screen. Money is the platform's fixed-point Currency; quantities are
// written into statements by FloatToStr only.
#include "platform/core/Currency.h"

#include <QString>
#include <QVariant>

namespace model {

// Whole number (blanks around it allowed, optional sign); def when empty, not a whole
// number, or out of the 64-bit range.
qint64 StrToIntDef(const QString& text, qint64 def);
// Decimal number, exponent allowed; def when empty, not a number, or not finite.
double StrToFloatDef(const QString& text, double def);

using platform::Currency;

// Plain decimal text without trailing zeros or separators: the form SQL statements carry.
QString CurrToStr(Currency value);
// Fixed decimals for display, "0.00" by default.
QString FormatCurr(Currency value, int decimals = 2);
// Currency from text; def when the text is empty or not a decimal number.
Currency StrToCurrDef(const QString& text, Currency def = Currency());
// Currency from a dataset value of any field type; null counts as 0. Throws
// platform::EConvertError for text that is not a number.
Currency CurrFromVariant(const QVariant& value);

// A real number (a quantity) as general decimal text the database reads back as the same
// number: up to 15 significant digits, "12.5", "3". Throws platform::EConvertError for NaN or
// infinity, which no statement may carry.
QString FloatToStr(double value);

} // namespace model
