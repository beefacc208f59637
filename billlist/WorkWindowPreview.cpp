// The list window's printed bill (预览) and the double-click on a bill.
#include "billlist/WorkWindow.h"
#include "billlist/WorkWindowAuditSql.h"
#include "billlist/WorkWindowTexts.h"
#include "billlist/uJXC_DBDBill.h"
#include "model/BillConst.h"
#include "platform/core/Dataset.h"
#include "plugin/Host.h"

#include <QDateTime>

void TWorkWindowForm::dxBarButton7Click()
{
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return;
    const QString& billNo = *checked;
    if (FocusedBillNumber(QStringLiteral("AuditFlag")) != model::AuditFlagYes) {
        EditFocusedBill();
        return;
    }
    std::unique_ptr<platform::Dataset> rows = plugin::OpenQuery(billlist::PrintBillSql(billNo));
    TQuickReport1 report(PageLineCount);
    report.Prepare(std::move(rows), billNo, QDateTime::currentDateTime());
    if (FocusedBillNumber(QStringLiteral("BillStatus")) == model::BillStatusReversed)
        report.MarkReversed();
    report.Preview();
}

void TWorkWindowForm::TableBillInfoCellDblClick(int, platform::GridColumn*)
{
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return;
    if (FocusedBillNumber(QStringLiteral("AuditFlag")) != model::AuditFlagNo)
        dxBarButton7Click();
    else
        EditFocusedBill();
}
