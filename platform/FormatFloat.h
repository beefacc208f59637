#pragma once
// Number formatting with the desktop platform's format strings: "0.00", "#,##0.00",
// "￥,0.00;￥-,0.00", "0 条记录".
//   0  digit, always shown          #  digit, shown when significant
//   .  decimal point                ,  anywhere in the integer part: thousands separators
//   ;  sections: positive;negative;zero (the negative section prints no sign of its own)
//   "x" or 'x'  literal text        anything else is copied as it stands
// Values are rounded half away from zero at the last shown decimal, after reducing a double to
// 15 significant digits (so 2.675 shows as 2.68). A value that rounds to zero is zero: no sign,
// zero section when there is one. An empty format gives the plain general text.
#include "platform/core/Currency.h"

#include <QString>
#include <QVariant>

namespace platform {

QString FormatFloat(const QString& format, double value);
// Exact for money: the four stored decimals are the digits rounded.
QString FormatFloat(const QString& format, Currency value);
// Numbers of any kind (integer, double, Currency, numeric text); "" for null; other values as text.
QString FormatVariant(const QString& format, const QVariant& value);

} // namespace platform
