#pragma once
// The statements of the bill editor, exact as the editor sends them (blanks included). Text
// values are quoted inside through model::SqlEsc; numbers go as plain decimals, money as
// currency text, dates as "yyyy-mm-dd" through to_date.
#include "model/TransferBill.h"
#include "platform/core/Currency.h"

#include <QDate>
#include <QString>
#include <QVector>

namespace billedit {

// The empty lines result that gives the editor's lines their shape.
QString LineShapeSql();
// Units of measure for the unit column.
QString UnitItemsSql();
// The bill's header with the names of its two storages.
QString BillHeaderSql(const QString& billNo);
// All lines of the bill, each once, with the goods master's name where the goods is there.
QString BillLinesSql(const QString& billNo);

// One line as the save writes it.
// One line as it is saved: the bill model's line.
using SaveLine = model::TransferLine;

// The header values the save writes. id is the host's identifier text (a new bill's sequence
// value or an existing bill's ID); it is written unquoted, so it must be a whole number.
struct SaveHeader {
    QString id;
    QString billNo;
    QDate billDate; // used by the update only; a new bill is dated by the server
    QString srcStorageCode;
    QString desStorageCode;
    double goodsCount = 0;
    platform::Currency billSum;
    QString remark;
    QString operatorCode;
};

// The header statement of a new bill and of an existing one.
QString InsertHeaderSql(const SaveHeader& head);
QString UpdateHeaderSql(const SaveHeader& head);
// The removal of an existing bill's lines before they are written again.
QString DeleteLinesSql(const QString& billNo);
// One line's insert, under the bill's id and number.
QString InsertLineSql(const SaveHeader& head, const SaveLine& line);

// The whole save as one anonymous block: header, then (for an existing bill) the removal of the
// old lines, then every line. Throws platform::EConvertError for an id that is no whole number.
QString SaveBlockSql(bool newBill, const SaveHeader& head, const QVector<SaveLine>& lines);

} // namespace billedit
