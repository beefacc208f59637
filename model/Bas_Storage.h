#pragma once
// One storage of the storage master, as the storage lookup loads and hands it back.
#include "model/BaseObj.h"

namespace platform { class TreeListNode; }

class Tbas_Storage : public TBaseObj {
    Q_OBJECT
    Q_PROPERTY(int StoragePID MEMBER StoragePID)
    Q_PROPERTY(QString StorageCode MEMBER StorageCode)
    Q_PROPERTY(QString StorageName MEMBER StorageName)
    Q_PROPERTY(QString StorageKind MEMBER StorageKind)
    Q_PROPERTY(QString Manager MEMBER Manager)
    Q_PROPERTY(QString Address MEMBER Address)
    Q_PROPERTY(int Sort MEMBER Sort)
    Q_PROPERTY(QString TelNo MEMBER TelNo)
    Q_PROPERTY(QString Remark MEMBER Remark)
    Q_PROPERTY(QString OptorCode MEMBER OptorCode)
    Q_PROPERTY(int UseFlag MEMBER UseFlag)
public:
    Q_INVOKABLE explicit Tbas_Storage(QObject* parent = nullptr);
    ~Tbas_Storage() override;

    int StoragePID = 0; // ID of the parent storage
    QString StorageCode;
    QString StorageName;
    QString StorageKind;
    QString Manager;
    QString Address;
    int Sort = 0;
    QString TelNo;
    QString Remark;
    QString OptorCode;
    int UseFlag = 0;

    // The tree node that shows the record. Set by the storage lookup while the record is in
    // its tree; the lookup clears it before the node goes away, so a record that outlives the
    // dialog never points at a dead node.
    platform::TreeListNode* TreeNode() const { return node_; }
    void SetTreeNode(platform::TreeListNode* node) { node_ = node; }

private:
    platform::TreeListNode* node_ = nullptr;
};
