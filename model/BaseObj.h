#pragma once
// The base of the business records the lookups hand back. Records are QObjects with their
// published values as Q_PROPERTYs, so the database service's LoadObjects can create them
// (Q_INVOKABLE default constructor) and fill them by column name.
#include <QObject>
#include <QString>

class TBaseObj : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ID MEMBER ID)
public:
    Q_INVOKABLE explicit TBaseObj(QObject* parent = nullptr);
    ~TBaseObj() override;

    QString ID;
};
