// The list window's 增加, 修改 and 删除 commands and the way into the bill editor.
#include "billedit/FrmBillEdit.h"
#include "billlist/WorkWindow.h"
#include "billlist/WorkWindowTexts.h"
#include "billlist/WorkWindowAuditSql.h"
#include "billlist/WorkWindowCommandsSql.h"
#include "billlist/WorkWindowSql.h"
#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "platform/Application.h"
#include "platform/DataController.h"
#include "platform/TableView.h"
#include "platform/core/Dataset.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QAction>
#include <exception>

namespace {

const QString kSaving = QStringLiteral("正在保存数据请稍等...");
const QString kSaveFailed = QStringLiteral("保存数据失败\r\n");

// Keeps the module-wide editor reference for the life of one add or modify command.
class EditorScope {
public:
    explicit EditorScope(TBillEditFrm* editor) { BillEditFrm = editor; }
    ~EditorScope() { BillEditFrm = nullptr; }
    EditorScope(const EditorScope&) = delete;
    EditorScope& operator=(const EditorScope&) = delete;
};

// Disables toolbar buttons for the life of a command and enables them again however it ends.
class ButtonsOff {
public:
    explicit ButtonsOff(std::initializer_list<QAction*> buttons) : buttons_(buttons)
    {
        for (QAction* b : buttons_)
            b->setEnabled(false);
    }
    ~ButtonsOff()
    {
        for (QAction* b : buttons_)
            b->setEnabled(true);
    }
    ButtonsOff(const ButtonsOff&) = delete;
    ButtonsOff& operator=(const ButtonsOff&) = delete;

private:
    QList<QAction*> buttons_;
};

} // namespace

bool TWorkWindowForm::EditBill(bool addMode, const QString& billId, const QString& billNo, const QString& copyOf)
{
    // No owner: the editor is a dialog of its own, released when the command ends.
    auto editor = std::make_unique<TBillEditFrm>();
    EditorScope scope(editor.get());
    editor->AddMode = addMode;
    editor->CopyOfBillNo = copyOf;
    if (!addMode) {
        editor->BillID = billId;
        editor->BillNo = billNo;
    }
    editor->ShowModal();
    return editor->Saved;
}

void TWorkWindowForm::dxBarButton1Click()
{
    if (RightsLevel() < billlist::kEditLevel)
        plugin::Refuse(billlist::kNoRights);
    const QString reload = billlist::BillsFromDateSql(model::Today());
    if (EditBill(true))
        LoadBillList(reload);
}

void TWorkWindowForm::dxBarButton2Click() { (void)EditFocusedBill(); }

std::optional<QString> TWorkWindowForm::BillToChange(const QString& action)
{
    if (RightsLevel() < billlist::kEditLevel)
        plugin::Refuse(billlist::kNoRights);
    const std::optional<QString> checked = CheckedFocusedBill();
    if (!checked)
        return std::nullopt;
    const QString& billNo = *checked;
    const QString audited = QStringLiteral("订单已审核不能") + action + u'!';
    if (model::StrToIntDef(FocusedBillText(QStringLiteral("AuditFlag")), 0) == model::AuditFlagYes)
        plugin::Refuse(audited);
    // Someone may have audited it since the list was read.
    if (model::StrToIntDef(plugin::HostDb()->QueryValue(billlist::AuditFlagSql(billNo)), 1) == model::AuditFlagYes)
        plugin::Refuse(audited);
    const QString creator = FocusedBillText(QStringLiteral("OptorCode"));
    if (creator != plugin::HostOperator().OperatorCode)
        plugin::Refuse(QStringLiteral("改订单只能由操作员[") + creator + u']' + action + u'!');
    return billNo;
}

bool TWorkWindowForm::EditFocusedBill()
{
    const std::optional<QString> bill = BillToChange(QStringLiteral("修改"));
    if (!bill)
        return false;
    const QString& billNo = *bill;
    const QString billId = FocusedBillText(QStringLiteral("ID"));
    ClearLines();
    const QString reload = billlist::BillByNumberSql(billNo);
    if (!EditBill(false, billId, billNo))
        return false;
    LoadBillList(reload);
    return true;
}

void TWorkWindowForm::dxBarButton3Click()
{
    const std::optional<QString> bill = BillToChange(QStringLiteral("删除"));
    if (!bill)
        return;
    const QString& billNo = *bill;
    if (platform::Application()->MessageBox(QStringLiteral("确定要删除指定的订单？"), QStringLiteral("提示 "),
                                            platform::mbYesNo, platform::MessageIcon::Question)
        != platform::mbYes)
        return;
    const QString block = billlist::DeleteBillBlockSql(billNo);

    ButtonsOff off({dxBarButton1, dxBarButton2, dxBarButton3, dxBarButton4, dxBarButton5});
    if (!plugin::RunCommand({.progress = kSaving, .failure = kSaveFailed, .hideBeforeSaved = true},
                            [&] { plugin::HostDb()->ExecSql(block); }))
        return;
    // The row of the bill deleted leaves the list, wherever the focus went meanwhile.
    if (BillListData->Locate(QStringLiteral("BillNo"), billNo, false))
        BillListData->Delete();
    ClearLines();
    platform::Application()->ProcessMessages();
}
