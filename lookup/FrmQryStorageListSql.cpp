#include "lookup/FrmQryStorageListSql.h"

#include "model/SqlText.h"

namespace lookup {

QString StorageSearchSql(const QString& condition)
{
    const QString c = model::SqlEsc(condition.toUpper());
    return QStringLiteral(" select * from bas_Storage where useflag = 1 and  (upper(storageCode) like '%") + c
           + QStringLiteral("%'  or upper(StorageName) like '%") + c + QStringLiteral("%') order by ID");
}

} // namespace lookup
