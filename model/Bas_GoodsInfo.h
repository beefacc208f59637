#pragma once
// One goods of the goods master, as the goods lookup hands it back. A new record is empty:
// empty texts, zero numbers, null date-times.
#include "model/BaseObj.h"

#include <QDateTime>

class TBas_GoodsInfo : public TBaseObj {
    Q_OBJECT
    Q_PROPERTY(QString GoodsCode MEMBER GoodsCode)
    Q_PROPERTY(QString GoodsNo MEMBER GoodsNo)
    Q_PROPERTY(QString GoodsName MEMBER GoodsName)
    Q_PROPERTY(QString GoodsType MEMBER GoodsType)
    Q_PROPERTY(int GoodsKind MEMBER GoodsKind)
    Q_PROPERTY(QString pyCode MEMBER pyCode)
    Q_PROPERTY(QString BarCode MEMBER BarCode)
    Q_PROPERTY(QString Model MEMBER Model)
    Q_PROPERTY(QString CalUnit MEMBER CalUnit)
    Q_PROPERTY(QString Brand MEMBER Brand)
    Q_PROPERTY(QString Color MEMBER Color)
    Q_PROPERTY(QString bigness MEMBER bigness)
    Q_PROPERTY(int ImageID MEMBER ImageID)
    Q_PROPERTY(QString produceAddress MEMBER produceAddress)
    Q_PROPERTY(int ReBateFlag MEMBER ReBateFlag)
    Q_PROPERTY(double DefaultInPrice MEMBER DefaultInPrice)
    Q_PROPERTY(double LastInPrice MEMBER LastInPrice)
    Q_PROPERTY(double CostPrice MEMBER CostPrice)
    Q_PROPERTY(double OldSellPrice MEMBER OldSellPrice)
    Q_PROPERTY(double OldRebatePrice MEMBER OldRebatePrice)
    Q_PROPERTY(double SellPrice MEMBER SellPrice)
    Q_PROPERTY(double RebatePrice MEMBER RebatePrice)
    Q_PROPERTY(double Valuta MEMBER Valuta)
    Q_PROPERTY(double MinPrice MEMBER MinPrice)
    Q_PROPERTY(double LeftCount MEMBER LeftCount)
    Q_PROPERTY(double MinCount MEMBER MinCount)
    Q_PROPERTY(double MaxCount MEMBER MaxCount)
    Q_PROPERTY(QDateTime RegDate MEMBER RegDate)
    Q_PROPERTY(int UseFlag MEMBER UseFlag)
    Q_PROPERTY(QString LocationCode MEMBER LocationCode)
    Q_PROPERTY(int StockType MEMBER StockType)
    Q_PROPERTY(int PresentMinute MEMBER PresentMinute)
    Q_PROPERTY(int StartMinute MEMBER StartMinute)
    Q_PROPERTY(int StepMinute MEMBER StepMinute)
    Q_PROPERTY(double DepositValue MEMBER DepositValue)
    Q_PROPERTY(int Sort MEMBER Sort)
    Q_PROPERTY(QString OptorCode MEMBER OptorCode)
    Q_PROPERTY(QString Remark MEMBER Remark)
    Q_PROPERTY(QString Auditor MEMBER Auditor)
    Q_PROPERTY(int Auditflag MEMBER Auditflag)
    Q_PROPERTY(QDateTime AuditTime MEMBER AuditTime)
    Q_PROPERTY(int ExChgValue MEMBER ExChgValue)
public:
    Q_INVOKABLE explicit TBas_GoodsInfo(QObject* parent = nullptr);
    ~TBas_GoodsInfo() override;

    QString GoodsCode;
    QString GoodsNo;
    QString GoodsName;
    QString GoodsType;
    int GoodsKind = 0;
    QString pyCode;
    QString BarCode;
    QString Model;
    QString CalUnit;
    QString Brand;
    QString Color;
    QString bigness;
    int ImageID = 0;
    QString produceAddress;

    int ReBateFlag = 0;
    double DefaultInPrice = 0;
    double LastInPrice = 0;
    double CostPrice = 0;
    double OldSellPrice = 0;
    double OldRebatePrice = 0;
    double SellPrice = 0;
    double RebatePrice = 0;
    double Valuta = 0;
    double MinPrice = 0;
    double LeftCount = 0;
    double MinCount = 0;
    double MaxCount = 0;

    QDateTime RegDate;
    int UseFlag = 0;
    QString LocationCode;
    int StockType = 0;
    int PresentMinute = 0;
    int StartMinute = 0;
    int StepMinute = 0;
    double DepositValue = 0;
    int Sort = 0;
    QString OptorCode;
    QString Remark;
    QString Auditor;
    int Auditflag = 0;
    QDateTime AuditTime;
    int ExChgValue = 0;
};
