// The list window's stock commands, on the toolbar 库存 and the bill grid's context menu:
// reversal (冲销) of a completed bill, a new bill copied from the focused one, and the stock
// ledger; and the promised-stock checks audit and posting make when the option is on.
#include "billlist/PromisedStock.h"
#include "billlist/TransferPosting.h"
#include "billlist/WorkWindow.h"
#include "billlist/WorkWindowAuditSql.h"
#include "billlist/WorkWindowSql.h"
#include "billlist/WorkWindowTexts.h"
#include "ledger/StockLedgerForm.h"
#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "platform/Application.h"
#include "platform/ButtonEdit.h"
#include "platform/DataController.h"
#include "platform/DateEdit.h"
#include "platform/SlotGuard.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <functional>
#include <vector>
#include <QToolBar>

using namespace billlist; // the window's shared texts and question box

namespace {

const QString kReverseFailed = QStringLiteral("冲销失败\r\n");
const QString kReversing = QStringLiteral("正在冲销请稍等...");

// The refusals of every short goods a shortage read found, one a line; empty when none.
QString ShortageMessage(qint64 billId, const QString& storageCode, bool movedOnly)
{
    std::unique_ptr<platform::Dataset> rows = plugin::OpenQuery(ShortageSql(billId, storageCode, movedOnly));
    QStringList texts;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        const QString goods = rows->FieldByName(QStringLiteral("GoodsCode")).AsString();
        QStringList holders;
        std::unique_ptr<platform::Dataset> bills = plugin::OpenQuery(PromisingBillsSql(billId, storageCode, goods));
        for (bills->First(); !bills->Eof(); bills->Next())
            holders << bills->FieldByName(QStringLiteral("BillNo")).AsString();
        texts << ShortageText(storageCode, goods, rows->FieldByName(QStringLiteral("GoodsName")).AsString(),
                              rows->FieldByName(QStringLiteral("Stock")).AsFloat(),
                              rows->FieldByName(QStringLiteral("Promised")).AsFloat(),
                              rows->FieldByName(QStringLiteral("Need")).AsFloat(), holders);
    }
    return texts.join(QStringLiteral("\r\n"));
}

} // namespace

bool TWorkWindowForm::CountPromised() const
{
    return plugin::HostIni()->ReadString(kStockSection, kCountPromisedKey, kStockIni, QString()).trimmed()
        == QStringLiteral("1");
}

void TWorkWindowForm::PromisedShortageCheck(qint64 billId, const QString& storageCode, bool movedOnly)
{
    const QString message = ShortageMessage(billId, storageCode, movedOnly);
    if (!message.isEmpty())
        plugin::Refuse(message);
}

void TWorkWindowForm::ExecPromisedBlock(const QString& block, qint64 billId, const QString& storageCode)
{
    try {
        plugin::HostDb()->ExecSql(block);
    } catch (const platform::EDatabaseError& e) {
        if (!e.Message().contains(ShortageChangedText()))
            throw;
        // Read after the block's rollback: what holds the stock now.
        const QString message = ShortageMessage(billId, storageCode, false);
        throw platform::Exception(message.isEmpty() ? ShortageChangedText() : message);
    }
}

void TWorkWindowForm::CreateStockCommands()
{
    dxStockBar = dxBarToolBar->AddBar(QStringLiteral("dxStockBar"), QStringLiteral("库存"));
    dxStockBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The host lays the window's bars on one row: a rule keeps these apart from the seven.
    dxStockBar->addSeparator();
    BillPopupMenu = Own(new QMenu(this), QStringLiteral("BillPopupMenu"));
    CreateBillMenuCommands();
    auto command = [this](const char* name, const QString& caption, void (TWorkWindowForm::*handler)()) {
        auto* a = Own(new QAction(caption, this), QLatin1String(name));
        a->setToolTip(caption);
        a->setStatusTip(caption);
        dxStockBar->addAction(a);
        BillPopupMenu->addAction(a);
        connect(a, &QAction::triggered, this, platform::Guard(this, handler));
        return a;
    };
    actReverse = command("actReverse", QStringLiteral("冲销"), &TWorkWindowForm::actReverseClick);
    actCopyAsNew = command("actCopyAsNew", QStringLiteral("复制为新单"), &TWorkWindowForm::actCopyAsNewClick);
    actStockLedger = command("actStockLedger", QStringLiteral("库存台账"), &TWorkWindowForm::actStockLedgerClick);
    TableBillInfo->Table()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TableBillInfo->Table(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        BillPopupMenu->popup(TableBillInfo->Table()->viewport()->mapToGlobal(at));
    });
    CreateSearchKeys();
}

void TWorkWindowForm::CreateSearchKeys()
{
    // Enter in any search edit searches. (F5 is the host's 刷新, which reads the list again.)
    for (QLineEdit* edit : {static_cast<QLineEdit*>(edtBillNo), static_cast<QLineEdit*>(edtGoodsCodeOrName),
                            static_cast<QLineEdit*>(edtBarCode)})
        connect(edit, &QLineEdit::returnPressed, this, platform::Guard(this, &TWorkWindowForm::btnQryClick));
    for (platform::DateEdit* date : {dtBegindate, dtEndDate})
        connect(date, &platform::DateEdit::KeyDown, this, [this](int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                key = 0;
                platform::Guarded([this] { btnQryClick(); });
            }
        });
    // Enter on a bill shows its lines, as a click on it does: a clerk at the keyboard reaches
    // audit and posting, which want the bill's own lines shown.
    connect(TableBillInfo, &platform::TableView::KeyDown, this, [this](int& key, Qt::KeyboardModifiers shift) {
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift == Qt::NoModifier) {
            key = 0;
            platform::Guarded([this] { TableBillInfoCellClick(TableBillInfo->DataController()->FocusedRecordIndex(), nullptr); });
        } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && shift == Qt::ShiftModifier)) {
            // The menu from the keyboard, at the focused bill.
            key = 0;
            QTableView* table = TableBillInfo->Table();
            const QRect row = table->visualRect(table->currentIndex());
            BillPopupMenu->popup(table->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint(8, 8)));
        }
    });
}

void TWorkWindowForm::CreateBillMenuCommands()
{
    // The seven commands in the bill list's menu, each shown only when the operator may use it:
    // the toolbar's own stay as they are, refusing with their messages.
    struct Entry {
        QAction* command;
        std::function<bool()> allowed;
    };
    const auto editor = [this] { return RightsLevel() >= kEditLevel; };
    const auto auditor = [this] { return OperateRight() != 0; };
    const auto creator = [this] {
        return !FocusedBillText(QStringLiteral("OptorCode")).isEmpty()
            && FocusedBillText(QStringLiteral("OptorCode")) == plugin::HostOperator().OperatorCode;
    };
    const std::vector<Entry> entries = {
        {dxBarButton1, editor}, {dxBarButton2, editor},  {dxBarButton3, editor},
        {dxBarButton7, [] { return true; }}, {dxBarButton5, auditor}, {dxBarButton6, auditor},
        {dxBarButton4, creator},
    };
    std::vector<std::pair<QAction*, std::function<bool()>>> shown;
    for (const Entry& e : entries) {
        auto* item = BillPopupMenu->addAction(e.command->text().trimmed());
        item->setObjectName(e.command->objectName() + QStringLiteral("Menu"));
        connect(item, &QAction::triggered, e.command, &QAction::trigger);
        shown.emplace_back(item, e.allowed);
    }
    BillPopupMenu->addSeparator();
    connect(BillPopupMenu, &QMenu::aboutToShow, this, [shown] {
        for (const auto& [item, allowed] : shown)
            item->setVisible(allowed());
    });
}

// ---- 冲销 ------------------------------------------------------------------------------------

void TWorkWindowForm::actReverseClick()
{
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return;
    const QString& billNo = *checked;
    const QString creator = FocusedBillText(QStringLiteral("OptorCode"));
    if (creator != plugin::HostOperator().OperatorCode && OperateRight() == 0)
        plugin::Refuse(QStringLiteral("该订单只能由操作员[") + creator + QStringLiteral("]或有审核权限的操作员冲销!"));
    // The list may be old: the database has the last word.
    const qint64 status = model::StrToIntDef(plugin::HostDb()->QueryValue(BillStatusSql(billNo)), -1);
    if (status == model::BillStatusReversed)
        plugin::Refuse(kReversedNotice);
    if (status != model::BillStatusCompleted)
        plugin::Refuse(QStringLiteral("订单未完成调拨，不能冲销!"));
    const qint64 billId = model::StrToIntDef(FocusedBillText(QStringLiteral("ID")), 0);
    PromisedShortageCheck(billId, FocusedBillText(QStringLiteral("Des_StorageCode")), true);
    if (Ask(QStringLiteral("确定冲销调拨单: ") + billNo + QStringLiteral("？") + QChar(u'\r')
                + QStringLiteral("该操作将把商品从调入仓库退回调出仓库,是否继续？"),
            kOperationCaption, platform::mbOKCancel, platform::MessageIcon::None)
        != platform::mbOK)
        return;
    const TransferPosting p = FocusedBillPosting();
    plugin::RunCommand({.progress = kReversing, .failure = kReverseFailed}, [&] {
        plugin::HostDb()->ExecSql(TransferReversalBlock(p));
        SetFocusedBillValues({{QStringLiteral("BillStatus"), int(model::BillStatusReversed)}});
    });
}

// ---- 复制为新单 ---------------------------------------------------------------------------------

void TWorkWindowForm::actCopyAsNewClick()
{
    if (RightsLevel() < kEditLevel)
        plugin::Refuse(kNoRights);
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return;
    const QString reload = BillsFromDateSql(model::Today());
    if (EditBill(true, {}, {}, *checked))
        LoadBillList(reload);
}

// ---- 库存台账 ---------------------------------------------------------------------------------

void TWorkWindowForm::actStockLedgerClick()
{
    // The focused line's goods in the focused bill's source storage, when there are both.
    QString goods;
    if (GoodsListData && !GoodsListData->IsEmpty()) {
        const int record = TableGoodsList->DataController()->FocusedRecordIndex();
        const int field = GoodsListData->FieldIndex(QStringLiteral("GoodsCode"));
        if (record >= 0 && record < GoodsListData->RecordCount() && field >= 0)
            goods = platform::VariantToText(GoodsListData->At(record, field));
    }
    OpenStockLedger(FocusedBillText(QStringLiteral("Src_StorageCode")), goods);
}

void TWorkWindowForm::ShowBill(const QString& billNo)
{
    edtBillNo->setText(billNo);
    LoadBillList(BillByNumberSql(billNo));
    if (const std::optional<QString> shown = CheckedFocusedBill())
        ShowLines(*shown);
    window()->raise();
    window()->activateWindow();
}

void TWorkWindowForm::OpenStockLedger(const QString& storageCode, const QString& goodsCode)
{
    TStockLedgerForm* form = ledger::ShowStockLedger(this, storageCode, goodsCode);
    connect(form, &TStockLedgerForm::BillLinkActivated, this, platform::Guard(this, &TWorkWindowForm::ShowBill));
}
