#include "model/TransferBill.h"

#include "model/Convert.h"

#include <cmath>

using platform::Currency;

namespace model {

namespace {

using namespace linefields;

// A storage is chosen when it was picked from the list and its name still stands in the edit.
bool StorageChosen(const QString& text, const QString& code, const QString& pickedName)
{
    const QString shown = text.trimmed();
    return !shown.isEmpty() && !code.isEmpty() && shown == pickedName.trimmed();
}

} // namespace

QString QuantityRangeText() { return QStringLiteral("对不起，数量范围在1..10000之内"); }
QString PriceNegativeText() { return QStringLiteral("对不起，价格不能为负数"); }
QString PriceInvalidText() { return QStringLiteral("请输入正确的价格!"); }

double RoundQuantity(double quantity) { return std::round(quantity * 100.0) / 100.0; }

bool QuantityInRange(double quantity)
{
    const double q = RoundQuantity(quantity);
    return q >= MinQuantity && q <= MaxQuantity;
}

std::optional<QString> PriceRefusal(double price)
{
    if (price < 0)
        return PriceNegativeText();
    if (price > MaxPrice || !std::isfinite(price))
        return PriceInvalidText();
    return std::nullopt;
}

std::optional<QString> TransferBill::AddGoods(const LineGoods& goods, double quantity, Currency price)
{
    if (!QuantityInRange(quantity))
        return QuantityRangeText();
    if (lines_.Locate(fGoodsCode, goods.code, true)) {
        const double total = RoundQuantity(lines_.FieldByName(fGoodsCount).AsFloat() + RoundQuantity(quantity));
        if (!QuantityInRange(total))
            return QuantityRangeText();
        lines_.Edit();
        SetAmount(total, price);
        lines_.Post();
        return std::nullopt;
    }
    lines_.Append();
    SetGoods(goods);
    SetAmount(RoundQuantity(quantity), price);
    lines_.Post();
    return std::nullopt;
}

std::optional<QString> TransferBill::ScanGoods(const LineGoods& goods, Currency price)
{
    if (lines_.Locate(fGoodsCode, goods.code, true))
        return AddGoods(goods, 1, lines_.FieldByName(fGoodsPrice).AsCurrency());
    return AddGoods(goods, 1, price);
}

bool TransferBill::PickGoods(const LineGoods& goods, Currency price)
{
    // Goods already on the bill: that line becomes the current one.
    if (lines_.Locate(fGoodsCode, goods.code, true))
        return false;
    lines_.Append();
    SetGoods(goods);
    SetAmount(1, price);
    lines_.Post();
    return true;
}

void TransferBill::SetQuantity(double quantity)
{
    lines_.Edit();
    SetAmount(RoundQuantity(quantity), lines_.FieldByName(fGoodsPrice).AsCurrency());
    lines_.Post();
}

void TransferBill::SetPrice(Currency price)
{
    lines_.Edit();
    SetAmount(lines_.FieldByName(fGoodsCount).AsFloat(), price);
    lines_.Post();
}

void TransferBill::SetLine(const TransferLine& line)
{
    lines_.Append();
    SetGoods({line.goodsCode, line.goodsName, line.model, line.calUnit});
    lines_.FieldByName(fGoodsPrice).SetValue(QVariant::fromValue(line.goodsPrice));
    lines_.FieldByName(fGoodsCount).SetValue(line.goodsCount);
    lines_.FieldByName(fPaySum).SetValue(QVariant::fromValue(line.paySum));
    lines_.Post();
}

double TransferBill::CurrentQuantity() const
{
    if (lines_.GetState() == platform::Dataset::State::Browse && lines_.RecNo() < 0)
        return 0;
    return lines_.FieldByName(fGoodsCount).AsFloat();
}

bool TransferBill::CurrentHasGoods() const
{
    if (lines_.GetState() == platform::Dataset::State::Browse && lines_.RecNo() < 0)
        return false;
    return !lines_.FieldByName(fGoodsName).AsString().isEmpty();
}

bool TransferBill::HasGoodsLine() const
{
    const int field = lines_.FieldIndex(fGoodsCode);
    const int rows = lines_.RecordCount() + (lines_.PendingRow() >= 0 ? 1 : 0);
    for (int r = 0; r < rows; ++r)
        if (!platform::VariantToText(lines_.DisplayValue(r, field)).trimmed().isEmpty())
            return true;
    return false;
}

QVector<TransferLine> TransferBill::Lines() const
{
    QVector<TransferLine> out;
    out.reserve(lines_.RecordCount());
    const int code = lines_.FieldIndex(fGoodsCode), name = lines_.FieldIndex(fGoodsName),
              unit = lines_.FieldIndex(fCalUnit), model = lines_.FieldIndex(fModel), brand = lines_.FieldIndex(fBrand),
              price = lines_.FieldIndex(fGoodsPrice), count = lines_.FieldIndex(fGoodsCount),
              sum = lines_.FieldIndex(fPaySum);
    auto text = [this](int row, int field) { return field < 0 ? QString() : platform::VariantToText(lines_.At(row, field)); };
    for (int r = 0; r < lines_.RecordCount(); ++r) {
        TransferLine l;
        l.goodsCode = text(r, code);
        if (l.goodsCode.trimmed().isEmpty())
            continue;
        l.goodsName = text(r, name);
        l.calUnit = text(r, unit);
        l.model = text(r, model);
        l.brand = text(r, brand);
        l.goodsPrice = lines_.At(r, price).value<Currency>();
        l.goodsCount = lines_.At(r, count).toDouble();
        l.paySum = lines_.At(r, sum).value<Currency>();
        out.push_back(l);
    }
    return out;
}

double TransferBill::TotalQuantity() const
{
    double total = 0;
    for (const TransferLine& l : Lines())
        total += l.goodsCount;
    return RoundQuantity(total);
}

Currency TransferBill::TotalAmount() const
{
    Currency total;
    for (const TransferLine& l : Lines())
        total = total + l.paySum;
    return total;
}

void TransferBill::SetAmount(double quantity, Currency price)
{
    lines_.FieldByName(fGoodsCount).SetValue(quantity);
    lines_.FieldByName(fGoodsPrice).SetValue(QVariant::fromValue(price));
    lines_.FieldByName(fPaySum).SetValue(QVariant::fromValue(price * Currency::FromDouble(quantity)));
}

void TransferBill::SetGoods(const LineGoods& goods)
{
    lines_.FieldByName(fGoodsCode).SetValue(goods.code);
    lines_.FieldByName(fGoodsName).SetValue(goods.name);
    lines_.FieldByName(fModel).SetValue(goods.model);
    lines_.FieldByName(fCalUnit).SetValue(goods.calUnit);
}

std::optional<HeadRefusal> CheckTransferHead(const TransferHead& h, const QDate& today, bool hasGoods)
{
    if (!h.newBill && h.billNo.isEmpty())
        return HeadRefusal{HeadField::BillNo, QStringLiteral("调拨单号不能为空!")};
    if (today > h.billDate)
        return HeadRefusal{HeadField::BillDate, QStringLiteral("日期不能小于当日!"), true};
    if (!h.billDate.isValid())
        return HeadRefusal{HeadField::BillDate, QStringLiteral("请填写调拨日期!")};
    // A name typed over a pick names no storage, and the code kept would save another one than
    // shown: the clerk picks one from the list.
    if (h.srcText.isEmpty())
        return HeadRefusal{HeadField::SourceStorage, QStringLiteral("调出仓不能为空，请选择!")};
    if (!StorageChosen(h.srcText, h.srcCode, h.srcPickedName))
        return HeadRefusal{HeadField::SourceStorage, QStringLiteral("请从仓库列表中选择调出仓库!")};
    if (h.desText.isEmpty())
        return HeadRefusal{HeadField::DestinationStorage, QStringLiteral("调入仓库不能为空!")};
    if (!StorageChosen(h.desText, h.desCode, h.desPickedName))
        return HeadRefusal{HeadField::DestinationStorage, QStringLiteral("请从仓库列表中选择调入仓库!")};
    if (h.desCode == h.srcCode)
        return HeadRefusal{HeadField::DestinationStorage, QStringLiteral("调入仓库不能和调出仓相同!")};
    // A bill needs a line with goods; an empty pending line alone is no bill.
    if (!hasGoods)
        return HeadRefusal{HeadField::Goods, QStringLiteral("请选择需要调拨的商品信息!")};
    return std::nullopt;
}

bool LinesAreOf(const platform::Dataset& shown, const QString& billNo)
{
    const int field = shown.FieldIndex(QStringLiteral("BillNo"));
    if (shown.RecordCount() == 0 || field < 0)
        return false;
    for (int row = 0; row < shown.RecordCount(); ++row)
        if (platform::VariantToText(shown.At(row, field)) != billNo)
            return false;
    return true;
}

std::optional<QString> StockShortage(const platform::Dataset& shown, const QString& srcStorageCode,
                                     const std::function<double(const QString&, const QString&)>& leftAfter)
{
    const int code = shown.FieldIndex(fGoodsCode), name = shown.FieldIndex(fGoodsName), count = shown.FieldIndex(fGoodsCount);
    for (int row = 0; row < shown.RecordCount(); ++row) {
        const QString goodsCode = code < 0 ? QString() : platform::VariantToText(shown.At(row, code));
        const QVariant quantity =
            count < 0 ? QVariant() : platform::ConvertToFieldType(shown.At(row, count), platform::FieldType::Float);
        const QString countText = FloatToStr(quantity.isValid() ? quantity.toDouble() : 0.0);
        if (leftAfter(goodsCode, countText) < 0)
            return QStringLiteral("仓库：") + srcStorageCode + QStringLiteral("的 商品：(") + goodsCode + QStringLiteral(")")
                + (name < 0 ? QString() : platform::VariantToText(shown.At(row, name))) + QStringLiteral(" 的库存不足 ，请调整！");
    }
    return std::nullopt;
}

} // namespace model
