#pragma once
// A query result as an aligned text table for a terminal: Chinese characters take two
// columns, numbers are right-aligned, null is shown empty.
#include <QString>

namespace platform { class Dataset; }

namespace host::admin {

// Columns a terminal uses for the text (East Asian wide and full-width characters count 2).
int DisplayWidth(const QString& text);

// Header, a rule, one line per row and "(N rows)". Line feeds inside values are shown as
// "\n" so that each row stays one line.
QString FormatTable(platform::Dataset& data);

} // namespace host::admin
