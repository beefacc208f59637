#pragma once
// The module's main window: the transfer bill list. A search bar over the grid of bills, and
// below it the lines of the bill last clicked; the toolbar's bill commands work on the focused
// bill. The window CreateWindow returns.
#include "platform/GridStyle.h"
#include "plugin/DllWindow.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace platform {
class ButtonEdit;
class DataSource;
class Dataset;
class DateEdit;
class Grid;
class GridColumn;
class GridLevel;
class TableView;
class TextEdit;
} // namespace platform

namespace Ui { class WorkWindowClient; }
namespace billlist { struct TransferPosting; }
class TPostingPreviewForm;

class TWorkWindowForm : public TDllWindowForm {
    Q_OBJECT
public:
    explicit TWorkWindowForm(QWidget* parent = nullptr);
    ~TWorkWindowForm() override;

    QToolBar* dxBarManager1Bar1; // "工具栏"
    QAction* dxBarButton1;       // 增加
    QAction* dxBarButton2;       // 修改
    QAction* dxBarButton3;       // 删除
    QAction* dxBarButton7;       // 预览
    QAction* dxBarButton5;       // 审核
    QAction* dxBarButton6;       // 反审核
    QAction* dxBarButton4;       // 调拨

    // The stock commands: a second toolbar and the bill grid's context menu.
    QToolBar* dxStockBar;          // "库存"
    QAction* actReverse;           // 冲销
    QAction* actCopyAsNew;         // 复制为新单
    QAction* actStockLedger;       // 库存台账
    QMenu* BillPopupMenu;

    // Search bar.
    QFrame* pnlSearch;
    QLabel* lblBeginDate;
    platform::DateEdit* dtBegindate;
    QLabel* lblEndDate;
    platform::DateEdit* dtEndDate;
    QLabel* lblBillNo;
    platform::TextEdit* edtBillNo;
    QLabel* lblGoodsCodeOrName;
    platform::ButtonEdit* edtGoodsCodeOrName;
    QLabel* lblBarCode;
    platform::TextEdit* edtBarCode;
    QPushButton* btnQry;

    // The bills.
    platform::Grid* cxGrid;
    platform::TableView* TableBillInfo;
    platform::GridColumn* colBillNo;
    platform::GridColumn* ableClientInfoColumn2;
    platform::GridColumn* colSrc_StorageCode;
    platform::GridColumn* colDes_StorageCode;
    platform::GridColumn* ableBillInfoColumn1;
    platform::GridColumn* colTitles;
    platform::GridColumn* ableClientInfoColumn7;
    platform::GridColumn* ableClientInfoColumn8;
    platform::GridColumn* colEducation;
    platform::GridColumn* colBillstatus;
    platform::GridColumn* ableEmployeeInfoColumn3;
    platform::GridColumn* ableEmployeeInfoColumn4;
    platform::DataSource* DataSource1;

    // The lines of the bill last clicked.
    QGroupBox* cxGroupBox1; // "订单明细"
    platform::Grid* cxGrid1;
    platform::GridLevel* cxGridLevel;
    platform::TableView* TableGoodsList;
    platform::GridColumn* colGoodsCode;
    platform::GridColumn* colGoodsName;
    platform::GridColumn* colModel;
    platform::GridColumn* colCalUnit;
    platform::GridColumn* colGoodsPrice;
    platform::GridColumn* colGoodsCount;
    platform::GridColumn* colPaysum;
    platform::GridColumn* colStockLeftCount;
    QMenu* PopupMenu1;
    QAction* N1; // 导出明细

    // Window state.
    std::unique_ptr<platform::Dataset> BillListData;
    std::unique_ptr<platform::Dataset> GoodsListData;
    platform::DataSource* GoodsListSource = nullptr;
    int PageLineCount = 0;

    // The window base's operations.
    void InitWindow() override;
    void RefreshData() override;
    void DoneWindow() override;

    // Replaces the bill list with the result of sql; the lines shown go with it.
    void LoadBillList(const QString& sql);
    // True when the operator may handle the goods of the bill: a bill without lines passes, one
    // with lines needs at least one of a permitted goods type. tableName is the lines table.
    bool CheckGoodsRight(const QString& billNo, const QString& tableName);
    // The focused bill's number once the list has a bill and the operator may handle the goods
    // of its lines; nullopt for an empty list; refused with "无商品操作权限!" otherwise.
    std::optional<QString> CheckedFocusedBill();

    // Handlers.
    void btnQryClick();
    void TableBillInfoCellClick(int recordIndex, platform::GridColumn* column);
    void colBillNoStylesGetContentStyle(platform::TableView* view, int recordIndex, platform::GridStyle*& style);
    void edtGoodsCodeOrNamePropertiesButtonClick();
    void N1Click();

    // 增加, 修改, 删除 (billlist/WorkWindowCommands.cpp).
    void dxBarButton1Click();
    void dxBarButton2Click();
    void dxBarButton3Click();
    // The modify command on the focused bill: the rights, goods-type, audit and creator checks,
    // then the editor; true when the editor saved the bill (the list then shows it alone).
    // A double click on an unaudited bill runs this too.
    bool EditFocusedBill();
    // The checks modify and delete share: the rights level, the goods types, the audit flag in the
    // list and in the database, the creator; action ("修改", "删除") names the command in the
    // refusals. The focused bill's number, or nothing when the list is empty.
    std::optional<QString> BillToChange(const QString& action);
    // Runs the bill editor modally for a new bill (addMode) or for the bill billId / billNo, with
    // the module-wide BillEditFrm set while it is open; true when the editor saved the bill.
    bool EditBill(bool addMode, const QString& billId = {}, const QString& billNo = {}, const QString& copyOf = {});
    // Approval, posting and the printed bill (WorkWindowAudit.cpp).
    void dxBarButton5Click(); // 审核
    void dxBarButton6Click(); // 反审核
    void dxBarButton4Click(); // 调拨
    void dxBarButton7Click(); // 预览
    void TableBillInfoCellDblClick(int recordIndex, platform::GridColumn* column);
    // Ends the running command with the shortage message at the first line of the lines shown
    // that the source storage's stock does not cover.
    void StockShortageCheck(const QString& srcStorageCode);

    // Stock (WorkWindowStock.cpp). True when the option Stock/CountPromised is on.
    bool CountPromised() const;
    // Ends the running command naming every goods of the bill that the storage's stock, less
    // what other audited bills hold there, does not cover (movedOnly: the goods a posting moves).
    void PromisedShortageCheck(qint64 billId, const QString& storageCode, bool movedOnly = false);
    // Runs a block that re-checks promised stock; should the block find a shortage the window's
    // check missed (another workstation was quicker), its refusal names it from a fresh read.
    void ExecPromisedBlock(const QString& block, qint64 billId, const QString& storageCode);
    void actReverseClick();     // 冲销
    void actCopyAsNewClick();   // 复制为新单
    void actStockLedgerClick(); // 库存台账
    // Shows one bill alone in the list, as a ledger's link asks.
    void ShowBill(const QString& billNo);
    // The stock ledger window for a storage and goods (either may be empty), its links leading
    // back to this list.
    void OpenStockLedger(const QString& storageCode, const QString& goodsCode);

private:
    // The steps of the constructor: the seven commands' toolbar, the two grids' columns, and the
    // commands, clicks and menus connected to their handlers.
    void CreateToolbar();
    void CreateBillColumns();
    void CreateLineColumns();
    void ConnectCommands();
    void CreateStockCommands();
    void CreateBillMenuCommands();
    void CreateSearchKeys();
    // The operator's own view (WorkWindowSettings.cpp): column widths and the last search's
    // dates, kept per operator in the host's settings. RestoreSettings is true when it set the
    // dates of a kept search.
    bool RestoreSettings();
    void SaveColumnWidths();
    void SaveSearchDates();
    // The focused bill's posting (or reversal): its row's values and two stock bills' ids and
    // numbers drawn now.
    billlist::TransferPosting FocusedBillPosting();
    // The posting preview of the focused bill, shown beside the posting's question.
    std::unique_ptr<TPostingPreviewForm> OpenPostingPreview(qint64 billId);
    std::unique_ptr<Ui::WorkWindowClient> ui_; // the laid-out widgets (WorkWindow.ui)
    // Empties the lines grid and its level caption.
    void ClearLines();
    // The lines of one bill replace the shown ones.
    void ShowLines(const QString& billNo);
    // The focused bill's text field, empty when there is none.
    QString FocusedBillText(const QString& field) const;
    // The focused bill's field as a whole number; 0 when empty or not a number.
    int FocusedBillNumber(const QString& field) const;
    // The checks audit and un-audit share: the rights, the goods types, and the audit flag in the
    // list and in the database, refused with the text when it is refusedFlag. The focused bill's
    // number, or nothing when the list is empty.
    std::optional<QString> BillToApprove(int refusedFlag, const QString& refusal);
    // True when the lines grid shows lines, all of the focused bill.
    bool FocusedBillLinesShown() const;
    // Changes the focused bill's row in memory; nothing is sent to the database.
    void SetFocusedBillValues(const QList<QPair<QString, QVariant>>& values);

    QString keptWidths_; // the column widths as kept when the window opened
    // The highlight styles handed to the grid: by row parity, completed, approved and reversed.
    platform::GridStyle highlight_[2][3];
};
