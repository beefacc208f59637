#include "billlist/WorkWindowCommandsSql.h"

#include "model/SqlText.h"

namespace billlist {

QString DeleteBillBlockSql(const QString& billNo)
{
    const QString no = model::SqlEsc(billNo);
    const QString head = QStringLiteral(" update Sto_AdjustBillMain  set DELETED= 1  where BillNo = '") + no
        + QStringLiteral("';");
    const QString lines = QStringLiteral(" update Sto_AdjustBillDetail set  DELETED= 1 where BillNo = '") + no
        + QStringLiteral("';");
    return QStringLiteral("  begin ") + head + lines + QStringLiteral("  end;");
}

} // namespace billlist
