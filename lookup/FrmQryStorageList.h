#pragma once
// The storage lookup: a modal dialog that searches the storage master by code or name, shows
// the storages as a tree nested by parent storage and hands the picked one back as a
// Tbas_Storage record.
//
// Ownership: the dialog owns every record it holds - the empty result record made at creation
// and the records of its queries. TakeStorageInfo takes the result record out (the entry
// function hands it to the caller, who owns it from then on); the rest go with the dialog.
// A record's tree-node link is cleared before its node goes away.
#include "model/Bas_Storage.h"
#include "platform/Component.h"

#include <QString>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class TFrame3;

namespace platform {
class ImageList;
class TextEdit;
class TreeList;
class TreeListColumn;
} // namespace platform

class TQryStorageListFrm : public platform::Form {
    Q_OBJECT
public:
    // Creation: the host's tree style, the empty result record.
    explicit TQryStorageListFrm(QWidget* parent = nullptr);
    ~TQryStorageListFrm() override;

    QFrame* pnlTitle;
    QLabel* lblTitle;
    QLabel* lblHint;
    QFrame* pnlSearch;
    QLabel* lblCondition;
    platform::TextEdit* edtCondition;
    QPushButton* BtnQry;
    platform::TreeList* tlTypeList;
    platform::TreeListColumn* ColDeptName_list;     // "[code]name"
    platform::TreeListColumn* colID_List;           // hidden: ID
    platform::TreeListColumn* colDeptShotCode_list; // hidden: StorageCode
    platform::ImageList* ImageList1;
    TFrame3* Frame31;

    // Loads the storages in use whose code or name holds the condition (any case) into the tree.
    void QueryStorages(const QString& condition);

    bool IsSelected() const { return Selected; }
    // The result record while the dialog still holds it (nullptr once taken).
    const Tbas_Storage* Storage() const { return StorageInfo; }
    std::unique_ptr<Tbas_Storage> TakeStorageInfo();
    // Records the dialog holds now: the result record and those of the last query.
    int RecordCount() const { return int(records_.size()); }

    // Handlers.
    void FormShow();
    void BtnQryClick();
    void edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift);
    void tlTypeListKeyDown(int& key, Qt::KeyboardModifiers shift);
    void tlTypeListDblClick();
    void Frame31bbtnEnterClick();
    void Frame31bbtnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool FormKeyDown(QKeyEvent* e) override;

private:
    void ClearTree();

    Tbas_Storage* StorageInfo = nullptr; // one of records_
    bool Selected = false;
    std::vector<std::unique_ptr<Tbas_Storage>> records_;
};

// Shows the storage lookup modally. storage receives the dialog's record: the picked storage,
// or the empty record on cancel; the result tells whether the user picked one.
bool SelectStorage(const QString& condition, std::unique_ptr<Tbas_Storage>& storage);
