#pragma once
// Money for the module: the platform's fixed-point Currency, and the text forms the module
// writes into SQL (plain decimals) and shows on screen ("0.00").
#include "platform/core/Currency.h"

#include <QString>
#include <QVariant>

namespace model {

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
