#pragma once
// A bar code scanned into the editor: the goods it names, taken only as the goods lookup would
// take them (in use, not deleted, of the operator's goods types, stocked in the source storage),
// or the reason it is not. One statement a scan. No UI here.
#include "model/TransferBill.h"
#include "platform/core/Currency.h"

#include <QString>
#include <optional>

namespace platform { class Dataset; }

namespace billedit {

// The goods whose bar code is barCode, each with flags: InUse, Permitted (of goodsTypes, the
// host's trusted operand of "in") and Stocked (rows in the storage's stock).
QString ScanGoodsSql(const QString& barCode, const QString& storageCode, const QString& goodsTypes);

struct ScannedGoods {
    std::optional<model::LineGoods> goods; // set when the code is taken
    platform::Currency price;              // its last purchase price, else its default one
    QString refusal;                       // why it is not, when it is not
};

// The first goods of the rows that may be taken; else the refusal of the nearest miss.
ScannedGoods ReadScan(const platform::Dataset& rows, const QString& barCode);

// The status line after a scan that added a unit: the goods and its line's quantity.
QString ScannedText(const model::LineGoods& goods, double lineQuantity);

} // namespace billedit
