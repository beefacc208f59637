#pragma once
// A transfer bill's lines and the rules they keep, apart from any window: the editor shows the
// lines in its grid and makes every change through this type; the tests use it without a
// widget. The lines live in a dataset of the editor's line shape (GoodsCode, GoodsName, Model,
// CalUnit, Brand, GoodsPrice, GoodsCount, PaySum). Quantities are kept with two decimals, and a
// line's amount is its price times its quantity as kept.
#include "platform/core/Currency.h"
#include "platform/core/Dataset.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace model {

// The field names of the line shape.
namespace linefields {
inline const QString fGoodsCode = QStringLiteral("GoodsCode");
inline const QString fGoodsName = QStringLiteral("GoodsName");
inline const QString fModel = QStringLiteral("Model");
inline const QString fCalUnit = QStringLiteral("CalUnit");
inline const QString fBrand = QStringLiteral("Brand");
inline const QString fGoodsPrice = QStringLiteral("GoodsPrice");
inline const QString fGoodsCount = QStringLiteral("GoodsCount");
inline const QString fPaySum = QStringLiteral("PaySum");
} // namespace linefields

inline constexpr double MinQuantity = 1;
inline constexpr double MaxQuantity = 10000;
inline constexpr double MaxPrice = 10000000;

// The texts of the line rules, as the editor shows them.
QString QuantityRangeText();
QString PriceNegativeText();
QString PriceInvalidText();

double RoundQuantity(double quantity);
// The quantity as kept (two decimals) lies in MinQuantity..MaxQuantity.
bool QuantityInRange(double quantity);
// The refusal a price meets: none, below zero, or above MaxPrice.
std::optional<QString> PriceRefusal(double price);

// The goods a line takes from the goods list.
struct LineGoods {
    QString code;
    QString name;
    QString model;
    QString calUnit;
};

// One line as it is saved.
struct TransferLine {
    QString goodsCode;
    QString goodsName;
    QString calUnit;
    QString model;
    QString brand;
    platform::Currency goodsPrice;
    double goodsCount = 0;
    platform::Currency paySum;
};

class TransferBill {
public:
    explicit TransferBill(platform::Dataset& lines) : lines_(lines) {}

    // quantity of the goods at price: added to the goods' line when the bill has one (the
    // quantities summed, the price replaced), else a new line. Refused (nothing changed) with
    // QuantityRangeText when the quantity, or the line's new total, leaves the range. The line
    // becomes the current one.
    std::optional<QString> AddGoods(const LineGoods& goods, double quantity, platform::Currency price);
    // One scanned unit of the goods: one more on its line, at the line's own price, or a new
    // line of one at price. QuantityRangeText when the line is full. The line becomes current.
    std::optional<QString> ScanGoods(const LineGoods& goods, platform::Currency price);
    // The goods picked for the current empty line: the line of those goods becomes the current
    // one when the bill has it; else a new line of one at price. True when a line was added.
    bool PickGoods(const LineGoods& goods, platform::Currency price);
    // The current line's quantity (rounded) or price; its amount follows.
    void SetQuantity(double quantity);
    void SetPrice(platform::Currency price);
    void SetLine(const TransferLine& line); // appends a stored line as it was saved

    bool CurrentHasGoods() const;
    // A line with goods, the line being entered included.
    bool HasGoodsLine() const;
    // The lines with goods, in order; a line that never got goods is no line of the bill.
    QVector<TransferLine> Lines() const;
    double TotalQuantity() const;
    // The current line's quantity (0 without a current line).
    double CurrentQuantity() const;
    platform::Currency TotalAmount() const;

private:
    void SetAmount(double quantity, platform::Currency price);
    void SetGoods(const LineGoods& goods);

    platform::Dataset& lines_;
};

// The header the editor saves, checked in the order the clerk fills it in.
struct TransferHead {
    bool newBill = true;
    QString billNo;
    QDate billDate;
    QString srcText, srcCode, srcPickedName; // the edit's text, the storage picked, its name then
    QString desText, desCode, desPickedName;
};

enum class HeadField { BillNo, BillDate, SourceStorage, DestinationStorage, Goods };

struct HeadRefusal {
    HeadField field; // where the clerk is sent
    QString text;
    bool dateToToday = false; // a date before today is set to today
};

// The first refusal of a bill about to be saved with hasGoods telling whether it has a line
// with goods; nullopt when it may be saved.
std::optional<HeadRefusal> CheckTransferHead(const TransferHead& head, const QDate& today, bool hasGoods);

// The checks audit and posting share, over the lines the list window shows for a bill (stored
// rows with BillNo, GoodsCode, GoodsName, GoodsCount).

// The lines shown are all of billNo (and there is one): the grid keeps the bill last clicked.
bool LinesAreOf(const platform::Dataset& shown, const QString& billNo);
// The first line the source storage cannot cover: leftAfter tells the storage's stock of the
// goods less the line's quantity (given as text). Its refusal text; nullopt when all are covered.
std::optional<QString> StockShortage(const platform::Dataset& shown, const QString& srcStorageCode,
                                     const std::function<double(const QString& goodsCode, const QString& count)>& leftAfter);

} // namespace model
