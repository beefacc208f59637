#pragma once
// The goods lookup: a modal dialog that searches the goods master by code, name or phonetic
// initials and hands the picked goods back as a TBas_GoodsInfo record.
//
// Ownership: the dialog creates its result record when it is created. The entry functions take
// it out of the dialog before the dialog is destroyed and hand it to the caller, who owns it
// from then on (the std::unique_ptr replaces whatever the caller held). A dialog destroyed with
// its record still inside frees it.
#include "lookup/LookupForm.h"
#include "model/Bas_GoodsInfo.h"

#include <QString>
#include <memory>

class QTimer;

namespace platform {
class DataSource;
class Dataset;
class Grid;
class GridColumn;
class TableView;
} // namespace platform

class TQryGoodsListFrm : public lookup::LookupForm {
    Q_OBJECT
public:
    // Creation: host styles, the data source, the unit names, the empty result record.
    explicit TQryGoodsListFrm(QWidget* parent = nullptr);
    ~TQryGoodsListFrm() override;

    platform::Grid* cxGrid;
    platform::TableView* TableGoodsList;
    platform::GridColumn* colGoodsCode;
    platform::GridColumn* colGoodsName;
    platform::GridColumn* colGdsLeftCount;
    platform::GridColumn* colGoodsPrice;
    platform::GridColumn* colCalUnit;
    QTimer* tmr1;

    // Runs the search for a condition as given (no trimming, no case change) within the
    // storage filter; the result replaces the shown one.
    void QueryGoods(const QString& condition);

    // Empty: all storages. Set: only goods with a stock row in that storage.
    void SetFilterStorageCode(const QString& storageCode) { FilterStorageCode = storageCode; }
    const QString& GetFilterStorageCode() const { return FilterStorageCode; }
    // The result record while the dialog still holds it (nullptr once taken).
    const TBas_GoodsInfo* Goods() const { return GoodsInfo.get(); }
    std::unique_ptr<TBas_GoodsInfo> TakeGoodsInfo() { return std::move(GoodsInfo); }
    // The last query's result (nullptr before the first query).
    platform::Dataset* Data() const { return GoodsData.get(); }

    // Handlers.
    void FormShow() override;
    void BtnQryClick() override;
    void edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void TableGoodsListCellDblClick(int recordIndex, platform::GridColumn* column);
    void tmr1Timer();
    void Frame31bbtnEnterClick() override;

private:
    // The searches from the dialog; fromButton decides the message on an empty result.
    void Search(bool fromButton);

    std::unique_ptr<TBas_GoodsInfo> GoodsInfo;
    QString FilterStorageCode;
    std::unique_ptr<platform::Dataset> GoodsData;
    platform::DataSource* dsGoodsData = nullptr;
};

// Searches all storages. Shows the dialog modally; goods receives the dialog's record (filled
// on a pick, empty otherwise) and the result tells whether the user picked one.
bool SelectGoods(const QString& condition, std::unique_ptr<TBas_GoodsInfo>& goods);
// The same, searching only goods that have a stock row in storageCode.
bool SelectGoodsInStorage(const QString& condition, const QString& storageCode,
                          std::unique_ptr<TBas_GoodsInfo>& goods);
