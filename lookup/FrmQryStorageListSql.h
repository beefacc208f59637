#pragma once
// The statement of the storage lookup, exactly as the database has always been sent it.
#include <QString>

namespace lookup {

// Storages in use whose code or name holds condition in any case (upper-cased and quoted
// inside), by ID.
QString StorageSearchSql(const QString& condition);

} // namespace lookup
