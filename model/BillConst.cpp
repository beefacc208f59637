#include "model/BillConst.h"

namespace model {

QString BillStatusLabel(int status)
{
    switch (status) {
    case BillStatusEditing: return QStringLiteral("编辑状态 "); // the trailing blank is the label's own
    case BillStatusAwaiting: return QStringLiteral("待审批");
    case BillStatusApproved: return QStringLiteral("审批通过");
    case BillStatusRejected: return QStringLiteral("审批未通过");
    case BillStatusCompleted: return QStringLiteral("订单完成");
    case BillStatusReversed: return QStringLiteral("已冲销");
    }
    return QString();
}

QString AuditFlagLabel(int flag)
{
    switch (flag) {
    case AuditFlagNo: return QStringLiteral("未审核");
    case AuditFlagYes: return QStringLiteral("已审核");
    }
    return QString();
}

QList<QPair<int, QString>> BillStatusItems()
{
    QList<QPair<int, QString>> items;
    for (int s = BillStatusFirst; s <= BillStatusLast; ++s)
        items.append({s, BillStatusLabel(s)});
    return items;
}

QList<QPair<QString, QString>> AuditFlagItems()
{
    return {{QStringLiteral("0"), AuditFlagLabel(AuditFlagNo)},
            {QStringLiteral("1"), AuditFlagLabel(AuditFlagYes)}};
}

} // namespace model
