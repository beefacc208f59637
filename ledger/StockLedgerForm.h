#pragma once
// The stock ledger window (库存台账): the movements of one goods in one storage from the stock
// bills, newest first, with the balance after each, and the stock at the end of a chosen day.
// Read-only. It is a window of the window base, so the base's export and find serve its grid.
#include "ledger/StockLedger.h"
#include "platform/GridStyle.h"
#include "plugin/DllWindow.h"

#include <QString>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QToolBar;

namespace platform {
class BandedTableView;
class DataSource;
class Dataset;
class DateEdit;
class Grid;
class GridColumn;
class TableView;
} // namespace platform

namespace Ui { class StockLedgerClient; }

class TStockLedgerForm : public TDllWindowForm {
    Q_OBJECT
public:
    explicit TStockLedgerForm(QWidget* parent = nullptr);
    ~TStockLedgerForm() override;

    QToolBar* LedgerBar;   // "库存台账"
    QAction* actExport;    // 导出
    QAction* actFind;      // 查找

    QLabel* lblStorage;
    QComboBox* cbStorage;
    QLabel* lblGoods;
    QComboBox* cbGoods;
    QLabel* lblAsOf;
    platform::DateEdit* dtAsOf;
    QLabel* lblStockAsOf;

    platform::Grid* cxGridLedger;
    platform::BandedTableView* TableLedger;
    platform::GridColumn* colBillDate;
    platform::GridColumn* colBillNo;
    platform::GridColumn* colBillType;
    platform::GridColumn* colSrcBillNo;
    platform::GridColumn* colInCount;
    platform::GridColumn* colOutCount;
    platform::GridColumn* colBalance;
    platform::GridColumn* colRemark;

    // Chooses the storage and goods (added to the lists when missing) and reads their ledger.
    void ShowLedger(const QString& storageCode, const QString& goodsCode);
    // The chosen codes; empty when nothing is chosen.
    QString StorageCode() const;
    QString GoodsCode() const;
    const ledger::StockLedger& Ledger() const { return ledger_; }

    void RefreshData() override;

signals:
    // A bill-number link was clicked: the transfer bill the stock bill was written for.
    void BillLinkActivated(const QString& transferBillNo);

private:
    void CreateToolbar();
    void CreateColumns();
    void FillChoices();
    void LoadLedger();
    void ShowRows();
    void ShowStockAsOf();
    void CellClick(int recordIndex, platform::GridColumn* column);

    std::unique_ptr<Ui::StockLedgerClient> ui_;
    std::unique_ptr<platform::Dataset> rows_;
    platform::DataSource* source_ = nullptr;
    ledger::StockLedger ledger_;
    platform::GridStyle linkStyle_;
    bool choosing_ = false; // the lists are being filled: no reading meanwhile
};

namespace ledger {

// Opens the ledger of the goods in the storage as a window of its own, not modal, freed when
// closed. The list window calls it; the caller connects BillLinkActivated.
TStockLedgerForm* ShowStockLedger(QWidget* parent, const QString& storageCode, const QString& goodsCode);

} // namespace ledger
