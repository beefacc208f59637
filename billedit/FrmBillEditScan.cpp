// The editor's scan box: a hand scanner types a bar code and Enter (a person typing one does
// the same); each code adds one of its goods or says in the status line why it did not, so the
// next scan is never lost behind a box.
#include "billedit/FrmBillEdit.h"
#include "ui_FrmBillEdit.h"

#include "billedit/GoodsScan.h"
#include "model/TransferBill.h"
#include "platform/SlotGuard.h"
#include "platform/TextEdit.h"
#include "platform/core/Dataset.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QLabel>
#include <QShortcut>

void TBillEditFrm::CreateScanBox()
{
    lblScan = Own(ui_->lblScan);
    edtScan = Own(ui_->edtScan);
    lblScanStatus = Own(ui_->lblScanStatus);
    lblScanStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // F2 from anywhere in the editor, the grid's own F2 (edit the cell) included.
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(f2, &QShortcut::activated, this, [this] {
        edtScan->setFocus();
        edtScan->selectAll();
    });
    connect(edtScan, &QLineEdit::returnPressed, this, platform::Guard(this, &TBillEditFrm::edtScanReturnPressed));
}

void TBillEditFrm::edtScanReturnPressed()
{
    const QString code = edtScan->text().trimmed();
    edtScan->clear();
    if (!code.isEmpty())
        ScanCode(code);
    edtScan->setFocus();
}

bool TBillEditFrm::ScanCode(const QString& code)
{
    if (SrcStorageCode.isEmpty()) {
        ShowScanStatus(QStringLiteral("请先选择调出仓库，再扫描商品"), true);
        return false;
    }
    const QString types = plugin::HostRights()->GoodsTypeList(plugin::HostOperator().OperatorId);
    std::unique_ptr<platform::Dataset> rows;
    try {
        rows = plugin::OpenQuery(billedit::ScanGoodsSql(code, SrcStorageCode, types));
    } catch (const std::exception& e) {
        ShowScanStatus(QStringLiteral("条形码[") + code + QStringLiteral("]查询失败：") + plugin::MessageOf(e), true);
        return false;
    }
    const billedit::ScannedGoods scanned = billedit::ReadScan(*rows, code);
    if (!scanned.goods) {
        ShowScanStatus(scanned.refusal, true);
        return false;
    }
    if (const std::optional<QString> refusal = Bill->ScanGoods(*scanned.goods, scanned.price)) {
        ShowScanStatus(*refusal, true);
        return false;
    }
    ShowScanStatus(billedit::ScannedText(*scanned.goods, Bill->CurrentQuantity()), false);
    return true;
}

void TBillEditFrm::ShowScanStatus(const QString& text, bool refused)
{
    lblScanStatus->setText(text);
    lblScanStatus->setStyleSheet(refused ? QStringLiteral("color: #C00000;") : QString());
    if (refused)
        QApplication::beep();
}
