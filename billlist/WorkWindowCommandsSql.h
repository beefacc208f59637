#pragma once
// The statements of the list window's add, modify and delete commands, exact as sent (blanks
// included); the bill number is quoted inside.
#include <QString>

namespace billlist {

// The soft delete of a bill and its lines, one block: both rows flagged or neither.
QString DeleteBillBlockSql(const QString& billNo);

} // namespace billlist
