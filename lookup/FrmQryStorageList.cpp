#include "lookup/FrmQryStorageList.h"

#include "lookup/FrmQryStorageListSql.h"
#include "platform/Application.h"
#include "platform/ImageList.h"
#include "platform/rframebottom3.h"
#include "platform/SlotGuard.h"
#include "platform/StyleRepository.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"
#include "plugin/Host.h"

#include <QPushButton>
#include <QTreeView>
#include <algorithm>

TQryStorageListFrm::TQryStorageListFrm(QWidget* parent)
    : lookup::LookupForm(parent, QStringLiteral("QryStorageListFrm"), QStringLiteral("仓库检索"), 434, 442,
                         QStringLiteral("【仓库选择】"), QStringLiteral("输入仓库编号或仓库名称检索仓库信息。"))
{
    ImageList1 = Own(platform::ImageList::BuiltIn(this), QStringLiteral("ImageList1"));
    tlTypeList = Own(new platform::TreeList(this), QStringLiteral("tlTypeList"));
    ColDeptName_list = Own(tlTypeList->CreateColumn(QStringLiteral("ColDeptName_list")));
    colID_List = Own(tlTypeList->CreateColumn(QStringLiteral("colID_List")));
    colID_List->SetCaption(QStringLiteral("ID"));
    colID_List->SetVisible(false);
    colDeptShotCode_list = Own(tlTypeList->CreateColumn(QStringLiteral("colDeptShotCode_list")));
    colDeptShotCode_list->SetVisible(false);
    tlTypeList->SetHeadersVisible(false);
    tlTypeList->SetGridLines(platform::TreeList::GridLineKind::Both);
    tlTypeList->SetRowSelect(true);
    tlTypeList->SetColumnAutoWidth(true);
    tlTypeList->SetImages(ImageList1);
    tlTypeList->SetStateImages(ImageList1);
    AddList(tlTypeList);

    AddButtonBar(tlTypeList);

    connect(tlTypeList, &platform::TreeList::KeyDown, this, platform::Guard(this, &TQryStorageListFrm::tlTypeListKeyDown));
    connect(tlTypeList, &platform::TreeList::DblClick, this, platform::Guard(this, &TQryStorageListFrm::tlTypeListDblClick));

    // Creation steps.
    tlTypeList->SetStyleSheet(plugin::HostUi()->StyleRepository()->StyleSheet(platform::StyleRepository::TreeListSheet));
    records_.push_back(std::make_unique<Tbas_Storage>());
    StorageInfo = records_.back().get();
}

TQryStorageListFrm::~TQryStorageListFrm()
{
    // The nodes die with the tree; no record may keep pointing at one.
    for (const auto& r : records_)
        r->SetTreeNode(nullptr);
}

std::unique_ptr<Tbas_Storage> TQryStorageListFrm::TakeStorageInfo()
{
    auto it = std::find_if(records_.begin(), records_.end(), [this](const auto& r) { return r.get() == StorageInfo; });
    if (it == records_.end())
        return nullptr;
    std::unique_ptr<Tbas_Storage> taken = std::move(*it);
    records_.erase(it);
    StorageInfo = nullptr;
    // Leaving the dialog: its node is not the caller's.
    if (platform::TreeListNode* node = taken->TreeNode())
        node->SetData(nullptr);
    taken->SetTreeNode(nullptr);
    return taken;
}

void TQryStorageListFrm::ClearTree()
{
    tlTypeList->Clear();
    // The records of the previous query go with their nodes; the result record stays.
    std::erase_if(records_, [this](const auto& r) { return r.get() != StorageInfo; });
    if (StorageInfo)
        StorageInfo->SetTreeNode(nullptr);
}

void TQryStorageListFrm::QueryStorages(const QString& condition)
{
    {
        // Painting resumes when the scope ends, errors included.
        const auto update = tlTypeList->BeginUpdate();
        ClearTree();
        std::vector<std::unique_ptr<Tbas_Storage>> loaded =
            plugin::LoadRecords<Tbas_Storage>(lookup::StorageSearchSql(condition));
        if (loaded.empty())
            return;

        // The dialog takes every record over before the tree is built from them.
        const size_t first = records_.size();
        records_.reserve(first + loaded.size());
        for (std::unique_ptr<Tbas_Storage>& r : loaded)
            records_.push_back(std::move(r));

        const int idColumn = colID_List->Index();
        for (size_t i = first; i < records_.size(); ++i) {
            Tbas_Storage* r = records_[i].get();
            // The first node of the whole tree whose ID is the parent id; the tree keeps an index
            // of the texts, so this stays cheap however many storages there are.
            platform::TreeListNode* parent = tlTypeList->FindNodeByText(idColumn, QString::number(r->StoragePID));
            platform::TreeListNode* node;
            if (parent) {
                node = tlTypeList->AddChild(parent);
                node->SetImageIndex(1);
                node->SetSelectedIndex(2);
            } else {
                node = tlTypeList->AddRoot();
            }
            node->SetTexts(idColumn, r->ID);
            node->SetTexts(colDeptShotCode_list->Index(), r->StorageCode);
            node->SetTexts(ColDeptName_list->Index(), QStringLiteral("[") + r->StorageCode + QStringLiteral("]") + r->StorageName);
            node->SetData(static_cast<QObject*>(r));
            r->SetTreeNode(node);
        }
        if (platform::TreeListNode* top = tlTypeList->TopNode()) {
            top->Expand(false);
            top->Expand(true);
        }
    }

    tlTypeList->FullCollapse();
    if (platform::TreeListNode* top = tlTypeList->TopNode()) {
        top->Expand(false);
        tlTypeList->SetFocusedNode(top);
    }
}

void TQryStorageListFrm::FormShow()
{
    if (tlTypeList->Count() > 0)
        tlTypeList->setFocus();
    else
        edtCondition->setFocus();
}

void TQryStorageListFrm::BtnQryClick()
{
    QueryStorages(edtCondition->text().trimmed());
    if (tlTypeList->Count() > 0) {
        tlTypeList->setFocus();
        return;
    }
    edtCondition->setFocus();
    platform::Application()->MessageBox(QStringLiteral("未查询到仓库信息!"), QStringLiteral("提示"), platform::mbOK,
                                        platform::MessageIcon::Information);
}

void TQryStorageListFrm::edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (PlainTab(key, shift) || PlainEnter(key, shift)) {
        key = 0;
        BtnQryClick();
    }
}

void TQryStorageListFrm::tlTypeListKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (key != Qt::Key_Tab && key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    if (key == Qt::Key_Tab && !PlainTab(key, shift))
        return;
    QPushButton* ok = Frame31->bbtnEnter;
    if (ok->isEnabled() && ok->isVisible() && ok->focusPolicy() != Qt::NoFocus) {
        ok->setFocus(Qt::TabFocusReason);
        // Consumed: the focus has moved, and the key must not act again on the button or
        // move the focus on from it.
        key = 0;
    }
}

void TQryStorageListFrm::tlTypeListDblClick() { Frame31bbtnEnterClick(); }

void TQryStorageListFrm::Frame31bbtnEnterClick()
{
    if (tlTypeList->Count() == 0)
        return;
    platform::TreeListNode* node = tlTypeList->FocusedNode();
    auto* record = node ? node->DataAs<Tbas_Storage>() : nullptr;
    if (!record)
        return;
    StorageInfo = record;
    Selected = true;
    accept();
}

bool SelectStorage(const QString& condition, std::unique_ptr<Tbas_Storage>& storage)
{
    TQryStorageListFrm dialog;
    dialog.edtCondition->setText(condition);
    dialog.QueryStorages(condition);
    dialog.ShowModal();
    storage = dialog.TakeStorageInfo();
    return dialog.IsSelected();
}
