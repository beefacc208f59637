#pragma once
// The transfer bill editor: a modal dialog for one bill, its header and its lines. Storages and
// goods are picked through the lookups; the lines live in memory until OK saves the whole bill
// as one database block.
//
// The opener creates it, sets AddMode (and BillID / BillNo for an existing bill), shows it
// modally, reads Saved and destroys it. While an add or modify command runs, the module-wide
// BillEditFrm points at it.
#include "platform/Component.h"
#include "platform/core/Currency.h"

#include <QString>
#include <QVector>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class TBas_GoodsInfo;
class TFrame3;

namespace model { struct TransferLine; class TransferBill; }

namespace platform {
class ButtonEdit;
class CurrencyEdit;
class DataSource;
class Dataset;
class DateEdit;
class Grid;
class GridColumn;
class TableView;
class TextEdit;
} // namespace platform

namespace Ui { class BillEditClient; }

class TBillEditFrm : public platform::Form {
    Q_OBJECT
public:
    // Creation: the host's grid style, the empty goods record, the empty lines, the unit names
    // and today's date. Throws what the host's database throws.
    explicit TBillEditFrm(QWidget* parent = nullptr);
    ~TBillEditFrm() override;

    // Set by the opener before the dialog is shown.
    bool AddMode = true;
    QString BillID; // an existing bill's ID as text
    QString BillNo; // an existing bill's number
    // In add mode: a bill whose storages and lines the new bill starts with (复制为新单).
    QString CopyOfBillNo;
    // Read by the opener afterwards: true once the bill was written.
    bool Saved = false;

    // Header.
    QGroupBox* cxGroupBox1; // "商品调拨单基本信息"
    QLabel* lblBillNo;
    platform::TextEdit* edtBillNo;
    QLabel* lblBillDate;
    platform::DateEdit* dtpBillDate;
    QLabel* lblStorageOut;
    platform::ButtonEdit* edtStorageOut;
    QLabel* lblStorageIn;
    platform::ButtonEdit* edtStorageIn;
    QLabel* lblRemark;
    platform::TextEdit* edtRemark;

    // Lines: the quick-entry row and the grid.
    QGroupBox* cxGroupBox2; // "调拨单商品明细"
    QLabel* lblCondition;
    platform::ButtonEdit* edtCondition;
    QLabel* lblGoodsPrice;
    platform::CurrencyEdit* edtGoodsPrice;
    QLabel* lblGoodsCount;
    platform::TextEdit* edtGoodsCount;
    QPushButton* btnAdd;
    QPushButton* btnDelete;
    platform::Grid* cxGrid;
    platform::TableView* TableGoodsList;
    platform::GridColumn* colGoodsCode;
    platform::GridColumn* colGoodsName;
    platform::GridColumn* colModel;
    platform::GridColumn* colCalUnit;
    platform::GridColumn* colGoodsPrice;
    platform::GridColumn* colGoodsCount;
    platform::GridColumn* colPaysum;

    TFrame3* Frame31;

    // Scanning: a bar code typed into the scan box (F2) and Enter adds one of its goods; the
    // status line says what a scan did, or why it did nothing, without a box.
    QLabel* lblScan;
    platform::TextEdit* edtScan;
    QLabel* lblScanStatus;
    // One scanned code, as Enter in the scan box takes it. True when a unit was added.
    bool ScanCode(const QString& code);

    // The lines being edited (never null while the dialog exists).
    platform::Dataset* Lines() const { return LineData.get(); }
    // The storage codes the save would write.
    const QString& SourceStorageCode() const { return SrcStorageCode; }
    const QString& DestStorageCode() const { return DesStorageCode; }

    // Entry limits: a line's quantity lies within 1..10000, a price within 0..10,000,000, so
    // an amount and a bill's total always fit the currency type.
    static constexpr double MinQuantity = 1;         // model::MinQuantity
    static constexpr double MaxQuantity = 10000;     // model::MaxQuantity
    static constexpr double MaxPrice = 10000000;     // model::MaxPrice

    // Handlers.
    void FormShow();
    void Frame31bbtnEnterClick();
    void Frame31bbtnCloseClick();
    void btnAddClick();
    void btnDeleteClick();
    void edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift);
    void edtConditionPropertiesButtonClick();
    void edtGoodsCountKeyDown(int& key, Qt::KeyboardModifiers shift);
    void edtGoodsCountKeyPress(QString& text);
    void edtStorageOutPropertiesButtonClick();
    void edtStorageInPropertiesButtonClick();
    void edtStorageOutKeyDown(int& key, Qt::KeyboardModifiers shift);
    void edtStorageInKeyDown(int& key, Qt::KeyboardModifiers shift);
    void colGoodsCodePropertiesValidate(platform::GridColumn* column, QVariant& value, QString& errorText, bool& error);
    void colGoodsCountPropertiesValidate(platform::GridColumn* column, QVariant& value, QString& errorText, bool& error);
    void colGoodsPricePropertiesValidate(platform::GridColumn* column, QVariant& value, QString& errorText, bool& error);
    void TableGoodsListDataControllerDataChanged();
    void TableGoodsListCellDblClick(int recordIndex, platform::GridColumn* column);
    void TableGoodsListEditKeyDown(platform::GridColumn* column, int& key, Qt::KeyboardModifiers shift);
    void TableGoodsListKeyDown(int& key, Qt::KeyboardModifiers shift);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void FormKeyPress(QString& text) override;

private:
    class BusyScope;

    // The save's checks in their order; a failing one shows its message and ends the save.
    void CheckBill();
    // The lines the save writes: every line with a goods, in grid order.
    QVector<model::TransferLine> LinesToSave();
    bool HasGoodsLine() const;
    // Picks goods for the quick-entry row.
    void PickGoods();
    // Refuses a goods pick while no source storage is chosen.
    void RequireSourceStorage();
    void PickStorage(platform::ButtonEdit* edit, QString& code, QString& pickedName);
    // A storage counts as chosen when its code is set and the edit still shows the picked name.
    // An empty pending line, focused in the grid.
    void AppendEmptyLine();
    void DeleteCurrentLine();
    // The quick-entry quantity and price, checked; a bad entry is refused with focus on it.
    double QuickQuantity();
    platform::Currency QuickPrice();
    // The current line's goods name ("" without a line).
    QString CurrentGoodsName() const;
    // The number a quantity or price cell was given; nothing when the edit is settled here (an
    // empty grid, a line without goods, or unreadable text, answered with `refusal` and the cell
    // reset to `fallback`).
    std::optional<double> EnteredNumber(QVariant& value, QString& errorText, bool error, const QString& refusal,
                                        double fallback) const;

    // The steps of the constructor: the grid's view and columns, and the handlers connected.
    void CreateLineColumns();
    void CreateScanBox(); // FrmBillEditScan.cpp
    void edtScanReturnPressed();
    void ShowScanStatus(const QString& text, bool refused);
    void ConnectHandlers();
    std::unique_ptr<Ui::BillEditClient> ui_; // the laid-out widgets (FrmBillEdit.ui)
    std::unique_ptr<TBas_GoodsInfo> GoodsInfo;
    std::unique_ptr<platform::Dataset> LineData;
    std::unique_ptr<model::TransferBill> Bill; // the rules over LineData
    platform::DataSource* dsLineData = nullptr;
    QString SrcStorageCode;
    QString DesStorageCode;
    QString SrcStorageName; // the names the pick showed, to notice a name typed over
    QString DesStorageName;
    QString typedPrice_;    // the price text as last typed, "" once a value was set by a pick
    bool busy_ = false;
};

// The editor of the add or modify command now running; nullptr otherwise.
extern TBillEditFrm* BillEditFrm;
