#include "billlist/WorkWindow.h"
#include "ui_WorkWindow.h"

#include "billlist/WorkWindowSql.h"
#include "billlist/WorkWindowTexts.h"
#include "lookup/FrmQryGoodsList.h"
#include "model/BillConst.h"
#include "model/DateUtil.h"
#include "platform/Application.h"
#include "platform/ButtonEdit.h"
#include "platform/DataController.h"
#include "platform/DataSource.h"
#include "platform/core/Dataset.h"
#include "platform/DateEdit.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/GridLevel.h"
#include "platform/SlotGuard.h"
#include "platform/StyleRepository.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/excel/GridSheet.h"
#include "platform/workbook/Workbook.h"
#include "platform/workbook/XlsxWriter.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kReading = QStringLiteral("正在读取数据，请稍候...");
const QString kPrintIni = QStringLiteral("Print.ini");
const QString kBillPrint = QStringLiteral("Bill_Print");
const QString kPageLine = QStringLiteral("Page_Line");
constexpr int kDefaultPageLines = 13;

// Completed bills bold on green, approved ones bold on light red (colour values as BGR).
const QColor kCompletedColor(0, 166, 83);
const QColor kApprovedColor(247, 204, 204);
const QColor kReversedColor(200, 200, 200); // a reversed bill: grey, done with

void CopyItems(platform::GridColumn* column, const QString& sql)
{
    QComboBox* items = plugin::HostDict()->ComboFromSql(sql);
    column->Properties().AssignItemsFrom(items);
}

} // namespace

TWorkWindowForm::TWorkWindowForm(QWidget* parent) : TDllWindowForm(parent)
{
    setObjectName(QStringLiteral("TWorkWindowForm"));
    setWindowTitle(QStringLiteral("调拨单"));

    CreateToolbar();
    // The search bar, the two grids and the lines' box are laid out in WorkWindow.ui; they are
    // the window's components in the order the window has always had them.
    ui_ = std::make_unique<Ui::WorkWindowClient>();
    auto* client = new QWidget(this);
    ui_->setupUi(client);
    ClientLayout()->addWidget(client, 1);
    pnlSearch = Own(ui_->pnlSearch);
    lblBeginDate = Own(ui_->lblBeginDate);
    dtBegindate = Own(ui_->dtBegindate);
    lblEndDate = Own(ui_->lblEndDate);
    dtEndDate = Own(ui_->dtEndDate);
    lblBillNo = Own(ui_->lblBillNo);
    edtBillNo = Own(ui_->edtBillNo);
    lblGoodsCodeOrName = Own(ui_->lblGoodsCodeOrName);
    edtGoodsCodeOrName = Own(ui_->edtGoodsCodeOrName);
    lblBarCode = Own(ui_->lblBarCode);
    edtBarCode = Own(ui_->edtBarCode);
    btnQry = Own(ui_->btnQry);

    CreateBillColumns();
    CreateLineColumns();
    PopupMenu1 = Own(new QMenu(this), QStringLiteral("PopupMenu1"));
    N1 = Own(PopupMenu1->addAction(QStringLiteral("导出明细")), QStringLiteral("N1"));
    TableGoodsList->Table()->setContextMenuPolicy(Qt::CustomContextMenu);

    setTabOrder(btnQry, TableBillInfo->Table());
    ConnectCommands();
    CreateStockCommands();
}

void TWorkWindowForm::ConnectCommands()
{
    connect(btnQry, &QPushButton::clicked, this, platform::Guard(this, &TWorkWindowForm::btnQryClick));
    connect(TableBillInfo, &platform::TableView::CellClick, this,
            platform::Guard(this, &TWorkWindowForm::TableBillInfoCellClick));
    connect(edtGoodsCodeOrName, &platform::ButtonEdit::ButtonClicked, this,
            platform::Guard(this, &TWorkWindowForm::edtGoodsCodeOrNamePropertiesButtonClick));
    connect(N1, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::N1Click));
    connect(dxBarButton1, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton1Click));
    connect(dxBarButton2, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton2Click));
    connect(dxBarButton3, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton3Click));
    connect(dxBarButton5, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton5Click));
    connect(dxBarButton6, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton6Click));
    connect(dxBarButton4, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton4Click));
    connect(dxBarButton7, &QAction::triggered, this, platform::Guard(this, &TWorkWindowForm::dxBarButton7Click));
    connect(TableBillInfo, &platform::TableView::CellDblClick, this,
            platform::Guard(this, &TWorkWindowForm::TableBillInfoCellDblClick));
    connect(TableGoodsList->Table(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(TableGoodsList->Table()->viewport()->mapToGlobal(at));
    });
    // The bill number and status cells show the bill's state.
    const auto highlight = [this](platform::TableView* view, int record, platform::GridStyle*& style) {
        colBillNoStylesGetContentStyle(view, record, style);
    };
    colBillNo->OnGetContentStyle = highlight;
    colBillstatus->OnGetContentStyle = highlight;
}

void TWorkWindowForm::CreateToolbar()
{
    dxBarManager1Bar1 = dxBarToolBar->AddBar(QStringLiteral("dxBarManager1Bar1"), QStringLiteral("工具栏"));
    dxBarManager1Bar1->setIconSize(QSize(32, 32));
    dxBarManager1Bar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    auto button = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(caption);
        a->setStatusTip(caption);
        dxBarManager1Bar1->addAction(a);
        return Own(a);
    };
    dxBarButton1 = button("dxBarButton1", QStringLiteral("增加"));
    dxBarButton2 = button("dxBarButton2", QStringLiteral("修改"));
    dxBarButton3 = button("dxBarButton3", QStringLiteral("删除"));
    dxBarButton7 = button("dxBarButton7", QStringLiteral("预览"));
    dxBarManager1Bar1->addSeparator();
    dxBarButton5 = button("dxBarButton5", QStringLiteral("审核"));
    dxBarButton6 = button("dxBarButton6", QStringLiteral("反审核"));
    dxBarManager1Bar1->addSeparator();
    dxBarButton4 = button("dxBarButton4", QStringLiteral(" 调拨"));
}

void TWorkWindowForm::CreateBillColumns()
{
    // The bills.
    cxGrid = Own(ui_->cxGrid);
    TableBillInfo = Own(cxGrid->CreateTableView(QStringLiteral("TableBillInfo")));
    TableBillInfo->SetColumnAutoWidth(true);
    TableBillInfo->SetFooterVisible(true);
    TableBillInfo->SetGroupByBoxVisible(false);
    TableBillInfo->SetCellSelect(false);
    TableBillInfo->SetEditing(false);
    TableBillInfo->SetAllowAppend(false);
    TableBillInfo->SetAllowInsert(false);
    TableBillInfo->SetAllowDelete(false);
    auto billColumn = [this](const char* name, const QString& caption, const char* field, bool focusing) {
        platform::GridColumn* c =
            Own(TableBillInfo->CreateColumn(QLatin1String(name), caption, QLatin1String(field), 0));
        c->SetHeaderAlignment(Qt::AlignCenter);
        c->SetMinWidth(120);
        c->SetWidth(120);
        c->SetFocusing(focusing);
        return c;
    };
    colBillNo = billColumn("colBillNo", QStringLiteral("订单号"), "BillNo", true);
    colBillNo->Properties().SetReadOnly(true);
    ableClientInfoColumn2 = billColumn("ableClientInfoColumn2", QStringLiteral("订单日期"), "BillDate", false);
    colSrc_StorageCode = billColumn("colSrc_StorageCode", QStringLiteral("调出仓库"), "Src_StorageCode", false);
    colSrc_StorageCode->Properties().SetKind(platform::EditorKind::ImageCombo);
    colDes_StorageCode = billColumn("colDes_StorageCode", QStringLiteral("调入仓库"), "Des_StorageCode", false);
    colDes_StorageCode->Properties().SetKind(platform::EditorKind::ImageCombo);
    ableBillInfoColumn1 = billColumn("ableBillInfoColumn1", QStringLiteral("调拨数量"), "GoodsCount", false);
    ableBillInfoColumn1->Properties().SetKind(platform::EditorKind::Currency);
    ableBillInfoColumn1->Properties().SetDisplayFormat(QStringLiteral("0.00"));
    ableBillInfoColumn1->SetMinWidth(100);
    ableBillInfoColumn1->SetWidth(100);
    colTitles = billColumn("colTitles", QStringLiteral("订单金额"), "BillSum", false);
    ableClientInfoColumn7 = billColumn("ableClientInfoColumn7", QStringLiteral("是否审核"), "AuditFlag", false);
    ableClientInfoColumn7->Properties().SetKind(platform::EditorKind::ImageCombo);
    for (const auto& [value, label] : model::AuditFlagItems())
        ableClientInfoColumn7->Properties().AddItem(value, label);
    ableClientInfoColumn8 = billColumn("ableClientInfoColumn8", QStringLiteral("审核人"), "Auditor", false);
    colEducation = billColumn("colEducation", QStringLiteral("审核时间"), "AuditDate", false);
    colBillstatus = billColumn("colBillstatus", QStringLiteral("订单状态"), "BillStatus", true);
    colBillstatus->Properties().SetKind(platform::EditorKind::ImageCombo);
    colBillstatus->Properties().SetReadOnly(true);
    colBillstatus->Properties().SetShowButtons(false);
    for (const auto& [value, label] : model::BillStatusItems())
        colBillstatus->Properties().AddItem(value, label);
    ableEmployeeInfoColumn3 = billColumn("ableEmployeeInfoColumn3", QStringLiteral("操作员"), "OptorCode", false);
    ableEmployeeInfoColumn3->Properties().SetKind(platform::EditorKind::ImageCombo);
    ableEmployeeInfoColumn4 = billColumn("ableEmployeeInfoColumn4", QStringLiteral("备注"), "Remark", false);
    TableBillInfo->DataController()->AddFooterSummary(platform::FooterSummary::Kind::Sum, ableBillInfoColumn1,
                                                      QStringLiteral("0.00"));
    TableBillInfo->DataController()->AddFooterSummary(platform::FooterSummary::Kind::Sum, colTitles,
                                                      QStringLiteral("0.00"));
    DataSource1 = new platform::DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    TableBillInfo->DataController()->SetDataSource(DataSource1);
}

void TWorkWindowForm::CreateLineColumns()
{
    // The lines.
    cxGroupBox1 = Own(ui_->cxGroupBox1);
    cxGrid1 = Own(ui_->cxGrid1);
    cxGridLevel = Own(cxGrid1->CreateLevel(QStringLiteral("cxGridLevel")));
    TableGoodsList = Own(cxGrid1->CreateTableView(QStringLiteral("TableGoodsList")));
    cxGridLevel->SetGridView(TableGoodsList);
    TableGoodsList->SetAllowInsert(false);
    TableGoodsList->SetAllowAppend(false);
    TableGoodsList->SetAllowDelete(false);
    TableGoodsList->SetCellSelect(false);
    TableGoodsList->SetImmediatePost(true);
    TableGoodsList->SetGoToNextCellOnEnter(true);
    TableGoodsList->SetCellAutoHeight(true);
    TableGoodsList->SetFooterVisible(true);
    auto lineColumn = [this](const char* name, const QString& caption, const char* field, int width) {
        platform::GridColumn* c =
            Own(TableGoodsList->CreateColumn(QLatin1String(name), caption, QLatin1String(field), width));
        c->SetFocusing(false);
        return c;
    };
    colGoodsCode = lineColumn("colGoodsCode", QStringLiteral("商品编号"), "GoodsCode", 141);
    colGoodsCode->Properties().SetKind(platform::EditorKind::Label);
    colGoodsCode->SetContentAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    colGoodsCode->SetCellMerging(true);
    colGoodsName = lineColumn("colGoodsName", QStringLiteral("商品名称"), "GoodsName", 159);
    colModel = lineColumn("colModel", QStringLiteral("规格"), "Model", 0);
    colModel->SetVisible(false);
    colCalUnit = lineColumn("colCalUnit", QStringLiteral("单位"), "CalUnit", 0);
    colCalUnit->Properties().SetKind(platform::EditorKind::ImageCombo);
    colCalUnit->Properties().SetShowButtons(false);
    colGoodsPrice = lineColumn("colGoodsPrice", QStringLiteral("单价"), "GoodsPrice", 0);
    colGoodsCount = lineColumn("colGoodsCount", QStringLiteral("数量"), "GoodsCount", 0);
    colGoodsCount->Properties().SetKind(platform::EditorKind::Currency);
    colGoodsCount->Properties().SetDisplayFormat(QStringLiteral("0.00"));
    colPaysum = lineColumn("colPaysum", QStringLiteral("金额"), "Paysum", 0);
    colPaysum->SetFooterAlignment(Qt::AlignCenter);
    colStockLeftCount = lineColumn("colStockLeftCount", QStringLiteral("库存数量"), "StockLeftCount", 0);
    colStockLeftCount->SetFocusing(true);
    platform::DataController* lines = TableGoodsList->DataController();
    lines->AddFooterSummary(platform::FooterSummary::Kind::Sum, colGoodsCount, QStringLiteral("0.00"));
    lines->AddFooterSummary(platform::FooterSummary::Kind::Sum, colPaysum, QStringLiteral("0.00"));
    lines->AddFooterSummary(platform::FooterSummary::Kind::Count, colGoodsCode, QStringLiteral("0 条记录"));
}

TWorkWindowForm::~TWorkWindowForm()
{
    // The views let go of the datasets before they go.
    TableBillInfo->DataController()->SetDataSource(nullptr);
    TableGoodsList->DataController()->SetDataSource(nullptr);
}

// ---- set-up and tear-down ------------------------------------------------------------------

void TWorkWindowForm::InitWindow()
{
    TDllWindowForm::InitWindow();

    const QString pageLines = plugin::HostIni()->ReadString(kBillPrint, kPageLine, kPrintIni, QStringLiteral("0"));
    bool ok = false;
    PageLineCount = pageLines.trimmed().toInt(&ok);
    if (!ok)
        throw platform::EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(pageLines));
    if (PageLineCount == 0) {
        PageLineCount = kDefaultPageLines;
        plugin::HostIni()->WriteString(kBillPrint, kPageLine, QString::number(kDefaultPageLines), kPrintIni);
    }

    platform::StyleRepository* styles = plugin::HostUi()->StyleRepository();
    TableBillInfo->SetStyleSheet(styles->StyleSheet(platform::StyleRepository::TableViewSheet));
    TableGoodsList->SetStyleSheet(styles->StyleSheet(platform::StyleRepository::TableViewSheet));

    if (!GoodsListSource) {
        GoodsListSource = new platform::DataSource(this);
        GoodsListSource->setObjectName(QStringLiteral("GoodsListSource"));
    }
    GoodsListData = plugin::OpenQuery(billlist::EmptyLinesSql());
    GoodsListSource->SetDataSet(GoodsListData.get());
    TableGoodsList->DataController()->SetDataSource(GoodsListSource);

    // The operator's last search, when kept, else the bills from today.
    const bool kept = RestoreSettings();
    if (!kept)
        LoadBillList(billlist::BillsFromDateSql(model::Today()));

    CopyItems(colSrc_StorageCode, billlist::StorageItemsSql());
    CopyItems(colDes_StorageCode, billlist::StorageItemsSql());
    CopyItems(colCalUnit, billlist::UnitItemsSql());
    CopyItems(ableEmployeeInfoColumn3, billlist::OperatorItemsSql());

    if (kept) {
        btnQryClick();
        return;
    }
    dtBegindate->SetDate(model::Today());
    dtEndDate->SetDate(model::Today());
}

void TWorkWindowForm::RefreshData()
{
    plugin::WaitHint wait(kReading);
    // A failed search is told with the database's own words; the window keeps what it held.
    (void)platform::GuardedFinished([this] { btnQryClick(); },
                                    [](const QString& message) { plugin::HostMessage()->ShowError(message, 0); });
}

void TWorkWindowForm::DoneWindow()
{
    platform::Guarded([this] { SaveColumnWidths(); });
    DataSource1->SetDataSet(nullptr);
    BillListData.reset();
    TDllWindowForm::DoneWindow();
}

// ---- the list and its lines ----------------------------------------------------------------

void TWorkWindowForm::LoadBillList(const QString& sql)
{
    std::unique_ptr<platform::Dataset> bills = plugin::OpenQuery(sql);
    // Bind the new list before the old one goes, so the grid never shows a dead dataset.
    DataSource1->SetDataSet(bills.get());
    BillListData = std::move(bills);
    // The lines shown belong to a bill of the list just replaced: audit and posting test stock
    // with the lines shown, so they must never outlive their bill's row.
    ClearLines();
}

void TWorkWindowForm::ClearLines()
{
    if (GoodsListData)
        GoodsListData->EmptyDataset();
    cxGridLevel->SetCaption(QString());
}

bool TWorkWindowForm::CheckGoodsRight(const QString& billNo, const QString& tableName)
{
    if (plugin::HostDb()->QueryValue(billlist::BillLineCountSql(tableName, billNo)) == u"0")
        return true;
    const QString types = plugin::HostRights()->GoodsTypeList(plugin::HostOperator().OperatorId);
    bool ok = false;
    const double permitted =
        plugin::HostDb()->QueryValue(billlist::PermittedLineCountSql(tableName, billNo, types)).toDouble(&ok);
    return ok && permitted > 0;
}

std::optional<QString> TWorkWindowForm::CheckedFocusedBill()
{
    if (!BillListData || BillListData->IsEmpty())
        return std::nullopt;
    const QString billNo = FocusedBillText(QStringLiteral("BillNo"));
    if (!CheckGoodsRight(billNo, model::TableAdjustBillDetail))
        plugin::Refuse(billlist::kNoGoodsRight);
    return billNo;
}

QString TWorkWindowForm::FocusedBillText(const QString& field) const
{
    if (!BillListData || BillListData->IsEmpty())
        return {};
    const int record = TableBillInfo->DataController()->FocusedRecordIndex();
    const int index = BillListData->FieldIndex(field);
    if (record < 0 || record >= BillListData->RecordCount() || index < 0)
        return {};
    return platform::VariantToText(BillListData->At(record, index));
}

void TWorkWindowForm::btnQryClick()
{
    platform::Guarded([this] { SaveSearchDates(); });
    LoadBillList(billlist::BillSearchSql(edtBillNo->text().trimmed(), dtBegindate->Date(), dtEndDate->Date(),
                                         edtGoodsCodeOrName->text().trimmed(), edtBarCode->text().trimmed()));
}

void TWorkWindowForm::TableBillInfoCellClick(int, platform::GridColumn*)
{
    if (const std::optional<QString> billNo = CheckedFocusedBill())
        ShowLines(*billNo);
}

void TWorkWindowForm::ShowLines(const QString& billNo)
{
    if (GoodsListData)
        GoodsListData->EmptyDataset();
    cxGridLevel->SetCaption(QStringLiteral("调拨单号：") + billNo + QStringLiteral("明细"));
    plugin::WaitHint wait(kReading);
    std::unique_ptr<platform::Dataset> lines = plugin::OpenQuery(billlist::BillLinesSql(billNo));
    GoodsListSource->SetDataSet(lines.get());
    GoodsListData = std::move(lines);
}

void TWorkWindowForm::colBillNoStylesGetContentStyle(platform::TableView* view, int recordIndex,
                                                     platform::GridStyle*& style)
{
    if (view->DataController()->RecordCount() == 0)
        return;
    const bool odd = recordIndex % 2 != 0;
    const platform::GridStyle* content =
        view->Style(odd ? platform::GridStyleSheet::ContentOdd : platform::GridStyleSheet::ContentEven);
    if (view->GroupedItemCount() > 0)
        return; // a group row: this platform's views do not group, kept for the rule's sake
    bool ok = false;
    const int status = view->DataController()->Value(recordIndex, colBillstatus->Index()).toInt(&ok);
    if (!ok)
        return;
    auto make = [&](int slot, const QColor& color) {
        platform::GridStyle& s = highlight_[odd ? 1 : 0][slot];
        s = platform::GridStyle();
        if (content)
            s.AssignFont(*content);
        s.SetBold(true);
        s.SetColor(color);
        style = &s;
    };
    if (status == model::BillStatusCompleted)
        make(0, kCompletedColor);
    if (status == model::BillStatusApproved)
        make(1, kApprovedColor);
    if (status == model::BillStatusReversed)
        make(2, kReversedColor);
}

void TWorkWindowForm::edtGoodsCodeOrNamePropertiesButtonClick()
{
    std::unique_ptr<TBas_GoodsInfo> goods;
    if (SelectGoods(edtGoodsCodeOrName->text().trimmed(), goods) && goods)
        edtGoodsCodeOrName->setText(goods->GoodsCode);
}

void TWorkWindowForm::N1Click()
{
    if (TableGoodsList->DataController()->RecordCount() == 0)
        plugin::HostMessage()->ShowMessage(QStringLiteral("无数据可导出!"), 0);
    platform::FileDialogOptions options;
    options.filter = QStringLiteral("Excel文件(*.xlsx)|*.xlsx|Excel文件(*.xls)|*.xls");
    if (!platform::Application()->ExecSaveDialog(options))
        return;
    plugin::WaitHint wait(QStringLiteral("正在导出..."));
    platform::excel::WriteXlsx(platform::excel::ViewSheet(*TableGoodsList), platform::excel::XlsxFileName(options.fileName));
}
