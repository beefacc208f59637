// The list window's transfer posting (调拨): a stock-out bill for the source storage, a stock-in
// bill for the destination and the stock moved, in one block.
#include "billlist/PostingPreview.h"
#include "billlist/PostingPreviewForm.h"
#include "billlist/PromisedStock.h"
#include "billlist/TransferPosting.h"
#include "billlist/WorkWindow.h"
#include "billlist/WorkWindowAuditSql.h"
#include "billlist/WorkWindowTexts.h"
#include "model/BillConst.h"
#include "model/BillNo.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "platform/Application.h"
#include "platform/DataController.h"
#include "platform/TableView.h"
#include "platform/core/Dataset.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

using namespace billlist; // the window's shared texts and question box

namespace {

const QString kUpdateFailed = QStringLiteral("更新数据失败\r\n");
const QString kUpdating = QStringLiteral("正在更新数据请稍等...");

} // namespace

void TWorkWindowForm::dxBarButton4Click()
{
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return;
    const QString& billNo = *checked;
    const QString creator = FocusedBillText(QStringLiteral("OptorCode"));
    if (creator != plugin::HostOperator().OperatorCode)
        plugin::HostMessage()->ShowMessage(QStringLiteral("该订单只能由操作员[") + creator + QStringLiteral("]操作!"), 0);

    qint64 auditFlag = 0;
    qint64 status = 0;
    try {
        const std::unique_ptr<platform::Dataset> state = plugin::OpenQuery(billlist::AuditStateSql(billNo));
        if (state && !state->IsEmpty()) {
            auditFlag = state->FieldByName(QStringLiteral("AuditFlag")).AsInteger();
            status = state->FieldByName(QStringLiteral("BillStatus")).AsInteger();
        }
    } catch (const std::exception&) {
        plugin::HostMessage()->ShowMessage(QStringLiteral("数据查询失败!"), 0);
    }
    if (auditFlag == model::AuditFlagNo) {
        Ask(QStringLiteral("订单未审核不能库存调拨操作!"), kNoticeCaption, platform::mbOK, platform::MessageIcon::Warning);
        return;
    }
    if (status == model::BillStatusCompleted) {
        Ask(QStringLiteral("订单已调拨出入库操作!"), kNoticeCaption, platform::mbOK, platform::MessageIcon::Warning);
        return;
    }
    if (status == model::BillStatusReversed) {
        Ask(kReversedNotice, kNoticeCaption, platform::mbOK, platform::MessageIcon::Warning);
        return;
    }
    if (!FocusedBillLinesShown()) {
        Ask(QStringLiteral("请先选择需要调拨的单据！"), kOperationCaption, platform::mbOK, platform::MessageIcon::None);
        return;
    }
    const QString source = FocusedBillText(QStringLiteral("Src_StorageCode"));
    StockShortageCheck(source);
    const qint64 billId = model::StrToIntDef(FocusedBillText(QStringLiteral("ID")), 0);
    if (CountPromised())
        PromisedShortageCheck(billId, source);
    // What the posting would do stays in view while the question is asked.
    std::unique_ptr<TPostingPreviewForm> preview = OpenPostingPreview(billId);
    if (Ask(QStringLiteral("确定对该调拨单: ") + billNo + QStringLiteral("进行调拨出入库操作？") + QChar(u'\r')
                + QStringLiteral("该操作将更改商品的库存数据,是否继续？"),
            kOperationCaption, platform::mbOKCancel, platform::MessageIcon::None)
        != platform::mbOK)
        return;

    preview.reset();
    const billlist::TransferPosting p = FocusedBillPosting();
    plugin::RunCommand({.progress = kUpdating, .failure = kUpdateFailed}, [&] {
        if (CountPromised())
            ExecPromisedBlock(billlist::PromisedPostingBlock(p), billId, source);
        else
            plugin::HostDb()->ExecSql(billlist::TransferPostingBlock(p));
        SetFocusedBillValues({{QStringLiteral("BillStatus"), int(model::BillStatusCompleted)}});
    });
}

std::unique_ptr<TPostingPreviewForm> TWorkWindowForm::OpenPostingPreview(qint64 billId)
{
    const QString source = FocusedBillText(QStringLiteral("Src_StorageCode"));
    const QString dest = FocusedBillText(QStringLiteral("Des_StorageCode"));
    std::unique_ptr<platform::Dataset> rows =
        plugin::OpenQuery(billlist::PostingPreviewSql(billId, source, dest));
    const int record = TableBillInfo->DataController()->FocusedRecordIndex();
    platform::DataController* bills = TableBillInfo->DataController();
    auto preview = std::make_unique<TPostingPreviewForm>(
        FocusedBillText(QStringLiteral("BillNo")), bills->DisplayText(record, colSrc_StorageCode->Index()),
        bills->DisplayText(record, colDes_StorageCode->Index()), billlist::ReadPostingPreview(*rows), CountPromised(),
        window());
    preview->setWindowFlag(Qt::Window);
    preview->show();
    return preview;
}

billlist::TransferPosting TWorkWindowForm::FocusedBillPosting()
{
    // The numbers are drawn only once the user agreed; a failed block leaves them used.
    billlist::TransferPosting p;
    const int record = TableBillInfo->DataController()->FocusedRecordIndex();
    BillListData->SetRecNo(record);
    p.billId = BillListData->FieldByName(QStringLiteral("ID")).AsInteger();
    p.billNo = FocusedBillText(QStringLiteral("BillNo"));
    p.srcStorageCode = FocusedBillText(QStringLiteral("Src_StorageCode"));
    p.desStorageCode = FocusedBillText(QStringLiteral("Des_StorageCode"));
    p.goodsCount = BillListData->FieldByName(QStringLiteral("GoodsCount")).AsFloat();
    p.billSum = BillListData->FieldByName(QStringLiteral("BillSum")).AsCurrency();
    p.auditor = FocusedBillText(QStringLiteral("Auditor"));
    // A date field, or the short date text an audit leaves in a text field.
    p.auditDate = model::DateTimeFromVariant(BillListData->FieldByName(QStringLiteral("AuditDate")).Value());
    p.remark = FocusedBillText(QStringLiteral("Remark"));
    p.operatorCode = plugin::HostOperator().OperatorCode;
    {
        plugin::IntfPtr<plugin::IDbIntf> db = plugin::HostDb();
        p.stockInId = db->NextSequence(model::SEQ_JXCID).toLongLong();
        p.stockInNo = model::NewBillNo(*db, model::PrefixStockIn, model::JXC_BILLNO_RK);
        p.stockOutId = db->NextSequence(model::SEQ_JXCID).toLongLong();
        p.stockOutNo = model::NewBillNo(*db, model::PrefixStockOut, model::JXC_BILLNO_CK);
    }
    return p;
}
