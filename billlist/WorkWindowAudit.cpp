// The list window's approval commands, audit (审核) and un-audit (反审核), and the checks of
// the focused bill that the posting (WorkWindowPosting.cpp) shares with them.
#include "billlist/PromisedStock.h"
#include "billlist/TransferPosting.h"
#include "billlist/WorkWindow.h"
#include "billlist/WorkWindowTexts.h"
#include "billlist/WorkWindowAuditSql.h"
#include "billlist/uJXC_DBDBill.h"
#include "model/BillConst.h"
#include "model/BillNo.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "model/TransferBill.h"
#include "platform/Application.h"
#include "platform/DataController.h"
#include "platform/TableView.h"
#include "platform/core/Dataset.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QDateTime>

using namespace billlist; // the window's shared texts and question box

namespace {

const QString kAudited = QStringLiteral("订单已审核!");
const QString kNotAudited = QStringLiteral("订单未审核!");
const QString kSaveFailed = QStringLiteral("保存数据失败!");

// A number read back from QueryValue; empty or not a whole number counts as 1, so an unreadable
// state never lets a command go on as if the bill were still open.
int StateNumber(const QString& text) { return int(model::StrToIntDef(text, 1)); }


} // namespace

int TWorkWindowForm::FocusedBillNumber(const QString& field) const
{
    return int(model::StrToIntDef(FocusedBillText(field), 0));
}

bool TWorkWindowForm::FocusedBillLinesShown() const
{
    return GoodsListData && model::LinesAreOf(*GoodsListData, FocusedBillText(QStringLiteral("BillNo")));
}

void TWorkWindowForm::SetFocusedBillValues(const QList<QPair<QString, QVariant>>& values)
{
    const int record = TableBillInfo->DataController()->FocusedRecordIndex();
    if (record < 0 || record >= BillListData->RecordCount())
        return;
    BillListData->SetRecNo(record);
    BillListData->Edit();
    for (const auto& [field, value] : values)
        BillListData->FieldByName(field).SetValue(value);
    BillListData->Post();
}

void TWorkWindowForm::StockShortageCheck(const QString& srcStorageCode)
{
    const std::optional<QString> shortage =
        model::StockShortage(*GoodsListData, srcStorageCode, [&](const QString& goodsCode, const QString& count) {
            return model::StrToFloatDef(
                plugin::HostDb()->QueryValue(billlist::StockLeftAfterSql(srcStorageCode, goodsCode, count)), 0);
        });
    if (shortage)
        plugin::Refuse(*shortage);
}

// ---- 审核 ------------------------------------------------------------------------------------

std::optional<QString> TWorkWindowForm::BillToApprove(int refusedFlag, const QString& refusal)
{
    if (OperateRight() == 0)
        plugin::Refuse(billlist::kNoRights);
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return std::nullopt;
    const QString& billNo = *checked;
    // The list may be old: the database has the last word.
    if (FocusedBillNumber(QStringLiteral("AuditFlag")) == refusedFlag)
        plugin::HostMessage()->ShowMessage(refusal, 0);
    if (StateNumber(plugin::HostDb()->QueryValue(billlist::AuditFlagSql(billNo))) == refusedFlag)
        plugin::HostMessage()->ShowMessage(refusal, 0);
    return billNo;
}

void TWorkWindowForm::dxBarButton5Click()
{
    const std::optional<QString> bill = BillToApprove(model::AuditFlagYes, kAudited);
    if (!bill)
        return;
    const QString& billNo = *bill;
    if (Ask(QStringLiteral("确定对订单[") + billNo + QStringLiteral("]进行审核？"), kQuestionCaption, platform::mbYesNo,
            platform::MessageIcon::Question)
        != platform::mbYes)
        return;
    if (!FocusedBillLinesShown()) {
        Ask(QStringLiteral("请先选择需要审核的单据！"), kOperationCaption, platform::mbOK, platform::MessageIcon::None);
        return;
    }
    const QString source = FocusedBillText(QStringLiteral("Src_StorageCode"));
    StockShortageCheck(source);
    const qint64 billId = model::StrToIntDef(FocusedBillText(QStringLiteral("ID")), 0);
    const bool promised = CountPromised();
    if (promised)
        PromisedShortageCheck(billId, source);

    const QString auditor = plugin::HostOperator().OperatorCode;
    plugin::RunCommand({.failure = kSaveFailed, .notify = false}, [&] {
        if (promised)
            ExecPromisedBlock(billlist::PromisedAuditBlock(billId, billNo, source, auditor), billId, source);
        else
            plugin::HostDb()->ExecSql(billlist::AuditSql(billNo, auditor));
        Ask(QStringLiteral("审核成功!"), kNoticeCaption, platform::mbOK, platform::MessageIcon::Information);
        // Today's date: the date itself in a date field, the short date text in a text field.
        const bool dateField =
            BillListData->FieldByName(QStringLiteral("AuditDate")).Type() == platform::FieldType::DateTime;
        const QVariant today = dateField ? QVariant(model::Today()) : QVariant(model::ShortDateText(model::Today()));
        SetFocusedBillValues({{QStringLiteral("BillStatus"), int(model::BillStatusApproved)},
                              {QStringLiteral("AuditFlag"), int(model::AuditFlagYes)},
                              {QStringLiteral("Auditor"), auditor},
                              {QStringLiteral("AuditDate"), today}});
    });
}

// ---- 反审核 ----------------------------------------------------------------------------------

void TWorkWindowForm::dxBarButton6Click()
{
    const std::optional<QString> bill = BillToApprove(model::AuditFlagNo, kNotAudited);
    if (!bill)
        return;
    const QString& billNo = *bill;
    const int status = StateNumber(plugin::HostDb()->QueryValue(billlist::BillStatusSql(billNo)));
    if (status == model::BillStatusCompleted)
        plugin::HostMessage()->ShowMessage(QStringLiteral("订单已完成调拨!"), 0);
    if (status == model::BillStatusReversed)
        plugin::HostMessage()->ShowMessage(kReversedNotice, 0);
    const QString auditor = FocusedBillText(QStringLiteral("Auditor"));
    if (auditor != plugin::HostOperator().OperatorCode)
        plugin::HostMessage()->ShowMessage(QStringLiteral("该订单只能由") + auditor + QStringLiteral("取消审核!"), 0);
    if (Ask(QStringLiteral("确定对订单[") + billNo + QStringLiteral("]取消审核？"), kQuestionCaption, platform::mbYesNo,
            platform::MessageIcon::Question)
        != platform::mbYes)
        return;

    plugin::RunCommand({.failure = kSaveFailed, .notify = false}, [&] {
        plugin::HostDb()->ExecSql(billlist::UnAuditSql(billNo));
        Ask(QStringLiteral("取消审核成功!"), kNoticeCaption, platform::mbOK, platform::MessageIcon::Information);
        SetFocusedBillValues({{QStringLiteral("BillStatus"), int(model::BillStatusEditing)},
                              {QStringLiteral("AuditFlag"), int(model::AuditFlagNo)},
                              {QStringLiteral("Auditor"), QString()},
                              {QStringLiteral("AuditDate"), QVariant()}});
    });
}
