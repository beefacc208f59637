#pragma once
// The storage lookup: a modal dialog that searches the storage master by code or name, shows
// the storages as a tree nested by parent storage and hands the picked one back as a
// Tbas_Storage record.
//
// Ownership: the dialog owns every record it holds - the empty result record made at creation
// and the records of its queries. TakeStorageInfo takes the result record out (the entry
// function hands it to the caller, who owns it from then on); the rest go with the dialog.
// A record's tree-node link is cleared before its node goes away.
#include "lookup/LookupForm.h"
#include "model/Bas_Storage.h"

#include <QString>
#include <memory>
#include <vector>

namespace platform {
class ImageList;
class TreeList;
class TreeListColumn;
} // namespace platform

class TQryStorageListFrm : public lookup::LookupForm {
    Q_OBJECT
public:
    // Creation: the host's tree style, the empty result record.
    explicit TQryStorageListFrm(QWidget* parent = nullptr);
    ~TQryStorageListFrm() override;

    platform::TreeList* tlTypeList;
    platform::TreeListColumn* ColDeptName_list;     // "[code]name"
    platform::TreeListColumn* colID_List;           // hidden: ID
    platform::TreeListColumn* colDeptShotCode_list; // hidden: StorageCode
    platform::ImageList* ImageList1;

    // Loads the storages in use whose code or name holds the condition (any case) into the tree.
    void QueryStorages(const QString& condition);

    // The result record while the dialog still holds it (nullptr once taken).
    const Tbas_Storage* Storage() const { return StorageInfo; }
    std::unique_ptr<Tbas_Storage> TakeStorageInfo();
    // Records the dialog holds now: the result record and those of the last query.
    int RecordCount() const { return int(records_.size()); }

    // Handlers.
    void FormShow() override;
    void BtnQryClick() override;
    void edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void tlTypeListKeyDown(int& key, Qt::KeyboardModifiers shift);
    void tlTypeListDblClick();
    void Frame31bbtnEnterClick() override;

private:
    void ClearTree();

    Tbas_Storage* StorageInfo = nullptr; // one of records_
    std::vector<std::unique_ptr<Tbas_Storage>> records_;
};

// Shows the storage lookup modally. storage receives the dialog's record: the picked storage,
// or the empty record on cancel; the result tells whether the user picked one.
bool SelectStorage(const QString& condition, std::unique_ptr<Tbas_Storage>& storage);
