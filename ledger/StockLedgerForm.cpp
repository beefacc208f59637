#include "ledger/StockLedgerForm.h"
#include "ui_StockLedgerForm.h"

#include "ledger/StockLedgerSql.h"
#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "platform/BandedTableView.h"
#include "platform/DataController.h"
#include "platform/DataSource.h"
#include "platform/DateEdit.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/GridLevel.h"
#include "platform/SlotGuard.h"
#include "platform/core/Dataset.h"
#include "plugin/Host.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScopedValueRollback>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("库存台账");
const QColor kLinkColor(0, 0, 255);

// The fields of the rows the grid shows, in load order.
enum LedgerField { fBillDate, fBillNo, fTypeName, fSrcBillNo, fInCount, fOutCount, fBalance, fRemark };

std::unique_ptr<platform::Dataset> NewRows()
{
    using platform::FieldType;
    return std::make_unique<platform::Dataset>(QVector<platform::FieldDef>{
        {QStringLiteral("BillDate"), FieldType::DateTime},
        {QStringLiteral("BillNo"), FieldType::Text},
        {QStringLiteral("TypeName"), FieldType::Text},
        {QStringLiteral("SrcBillNo"), FieldType::Text},
        {QStringLiteral("InCount"), FieldType::Float},
        {QStringLiteral("OutCount"), FieldType::Float},
        {QStringLiteral("Balance"), FieldType::Float},
        {QStringLiteral("Remark"), FieldType::Text},
    });
}

// A count column shows nothing for the other direction's bills.
void LoadCount(platform::Dataset& ds, int field, double count, bool shown)
{
    if (shown)
        ds.LoadFloat(field, count);
    else
        ds.LoadNull(field);
}

// The wait cursor for a scope, however the scope is left.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Selects the item holding code, adding "code" as an item when the list lacks it.
void Choose(QComboBox* box, const QString& code)
{
    int index = box->findData(code);
    if (index < 0 && !code.isEmpty()) {
        box->addItem(code, code);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

} // namespace

TStockLedgerForm::TStockLedgerForm(QWidget* parent) : TDllWindowForm(parent)
{
    setObjectName(QStringLiteral("TStockLedgerForm"));
    setWindowTitle(kCaption);
    resize(960, 560);

    CreateToolbar();
    ui_ = std::make_unique<Ui::StockLedgerClient>();
    auto* client = new QWidget(this);
    ui_->setupUi(client);
    ClientLayout()->addWidget(client, 1);
    lblStorage = Own(ui_->lblStorage);
    cbStorage = Own(ui_->cbStorage);
    lblGoods = Own(ui_->lblGoods);
    cbGoods = Own(ui_->cbGoods);
    lblAsOf = Own(ui_->lblAsOf);
    dtAsOf = Own(ui_->dtAsOf);
    lblStockAsOf = Own(ui_->lblStockAsOf);
    dtAsOf->SetDate(model::Today());
    CreateColumns();

    QFont link;
    link.setUnderline(true);
    linkStyle_.SetFont(link);
    linkStyle_.SetTextColor(kLinkColor);

    const auto reload = platform::Guard([this](int) {
        if (!choosing_)
            LoadLedger();
    });
    connect(cbStorage, &QComboBox::currentIndexChanged, this, reload);
    connect(cbGoods, &QComboBox::currentIndexChanged, this, reload);
    connect(dtAsOf, &QDateEdit::dateChanged, this, platform::Guard(this, &TStockLedgerForm::ShowStockAsOf));
    connect(TableLedger, &platform::TableView::CellClick, this, platform::Guard(this, &TStockLedgerForm::CellClick));
    connect(actExport, &QAction::triggered, this, platform::Guard([this](bool) { SaveToExcel(); }));
    connect(actFind, &QAction::triggered, this, platform::Guard([this](bool) { FindData(); }));
}

TStockLedgerForm::~TStockLedgerForm()
{
    // The grid's source must not watch rows that are going away.
    if (source_)
        source_->SetDataSet(nullptr);
}

void TStockLedgerForm::CreateToolbar()
{
    LedgerBar = dxBarToolBar->Bar(QStringLiteral("dxToolBar"));
    LedgerBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto button = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(caption);
        LedgerBar->addAction(a);
        return Own(a);
    };
    actExport = button("actExport", QStringLiteral("导出"));
    actFind = button("actFind", QStringLiteral("查找"));
}

void TStockLedgerForm::CreateColumns()
{
    cxGridLedger = Own(ui_->cxGridLedger);
    // A banded view: the window base's find serves banded grids.
    TableLedger = Own(cxGridLedger->CreateBandedTableView(QStringLiteral("TableLedger")));
    cxGridLedger->ActiveLevel()->SetCaption(kCaption); // the export's file name
    cxGridLedger->SetCaptionVisible(false);
    TableLedger->SetEditing(false);
    TableLedger->SetAllowAppend(false);
    TableLedger->SetAllowInsert(false);
    TableLedger->SetAllowDelete(false);
    TableLedger->SetCellSelect(false);
    auto column = [this](const char* name, const QString& caption, const char* field, int width) {
        platform::GridColumn* c = Own(TableLedger->CreateColumn(QLatin1String(name), caption, QLatin1String(field), width));
        c->SetHeaderAlignment(Qt::AlignCenter);
        return c;
    };
    auto count = [&column](const char* name, const QString& caption, const char* field) {
        platform::GridColumn* c = column(name, caption, field, 90);
        c->Properties().SetKind(platform::EditorKind::Currency);
        c->Properties().SetDisplayFormat(QStringLiteral("0.00"));
        return c;
    };
    colBillDate = column("colBillDate", QStringLiteral("日期"), "BillDate", 140);
    colBillNo = column("colBillNo", QStringLiteral("单据号"), "BillNo", 150);
    colBillType = column("colBillType", QStringLiteral("类型"), "TypeName", 80);
    colSrcBillNo = column("colSrcBillNo", QStringLiteral("调拨单号"), "SrcBillNo", 150);
    colInCount = count("colInCount", QStringLiteral("入库数量"), "InCount");
    colOutCount = count("colOutCount", QStringLiteral("出库数量"), "OutCount");
    colBalance = count("colBalance", QStringLiteral("结存"), "Balance");
    colRemark = column("colRemark", QStringLiteral("备注"), "Remark", 160);
    // Bill numbers of bills written for a transfer are links to it.
    const auto link = [this](platform::TableView* view, int record, platform::GridStyle*& style) {
        if (!view->DataController()->ValueByField(record, QStringLiteral("SrcBillNo")).toString().isEmpty())
            style = &linkStyle_;
    };
    colBillNo->OnGetContentStyle = link;
    colSrcBillNo->OnGetContentStyle = link;
    source_ = new platform::DataSource(this);
    source_->setObjectName(QStringLiteral("LedgerSource"));
    TableLedger->DataController()->SetDataSource(source_);
}

void TStockLedgerForm::FillChoices()
{
    const QScopedValueRollback<bool> quiet(choosing_, true);
    cbStorage->clear();
    cbGoods->clear();
    const auto fill = [](QComboBox* box, const QString& sql, const char* codeField, const char* nameField) {
        std::unique_ptr<platform::Dataset> ds = plugin::OpenQuery(sql);
        if (!ds)
            return;
        const int code = ds->FieldIndex(QLatin1String(codeField)), name = ds->FieldIndex(QLatin1String(nameField));
        for (int r = 0; r < ds->RecordCount(); ++r) {
            const QString c = ds->At(r, code).toString();
            box->addItem(c + QStringLiteral(" ") + ds->At(r, name).toString(), c);
        }
    };
    fill(cbStorage, ledger::StorageListSql(), "StorageCode", "StorageName");
    fill(cbGoods, ledger::GoodsListSql(), "GoodsCode", "GoodsName");
}

void TStockLedgerForm::ShowLedger(const QString& storageCode, const QString& goodsCode)
{
    if (cbStorage->count() == 0 && cbGoods->count() == 0)
        FillChoices();
    {
        const QScopedValueRollback<bool> quiet(choosing_, true);
        Choose(cbStorage, storageCode);
        Choose(cbGoods, goodsCode);
    }
    LoadLedger();
}

QString TStockLedgerForm::StorageCode() const { return cbStorage->currentData().toString(); }

QString TStockLedgerForm::GoodsCode() const { return cbGoods->currentData().toString(); }

void TStockLedgerForm::RefreshData() { LoadLedger(); }

void TStockLedgerForm::LoadLedger()
{
    WaitCursor wait;
    const QString storage = StorageCode(), goods = GoodsCode();
    ledger_ = storage.isEmpty() || goods.isEmpty()
        ? ledger::StockLedger()
        : ledger::StockLedger::Read(*plugin::HostDb(), storage, goods);
    ShowRows();
    ShowStockAsOf();
}

void TStockLedgerForm::ShowRows()
{
    std::unique_ptr<platform::Dataset> rows = NewRows();
    const std::vector<ledger::Movement>& movements = ledger_.Movements();
    rows->Reserve(int(movements.size()));
    for (const ledger::Movement& m : movements) {
        if (m.billDay.isValid())
            rows->LoadDateTime(fBillDate, m.billDay, m.billTime.msecsSinceStartOfDay());
        else
            rows->LoadNull(fBillDate);
        rows->LoadText(fBillNo, m.billNo);
        rows->LoadText(fTypeName, ledger::MovementTypeName(m.billType, m.remark));
        rows->LoadText(fSrcBillNo, m.srcBillNo);
        const bool in = model::StockBillTypeIsIn(m.billType);
        LoadCount(*rows, fInCount, m.inCount, in);
        LoadCount(*rows, fOutCount, m.outCount, !in);
        rows->LoadFloat(fBalance, m.balance);
        rows->LoadText(fRemark, m.remark);
        rows->EndRow();
    }
    rows->EndLoad();
    // The grid lets go of the old rows before they are freed.
    source_->SetDataSet(rows.get());
    rows_ = std::move(rows);
}

void TStockLedgerForm::ShowStockAsOf()
{
    const QDate day = dtAsOf->Date();
    lblStockAsOf->setText(QStringLiteral("截至") + day.toString(QStringLiteral("yyyy-MM-dd"))
                          + QStringLiteral("日终库存：") + model::FloatToStr(ledger_.StockAsOf(day)));
}

void TStockLedgerForm::CellClick(int recordIndex, platform::GridColumn* column)
{
    if (column != colBillNo && column != colSrcBillNo)
        return;
    const QString transfer =
        TableLedger->DataController()->ValueByField(recordIndex, QStringLiteral("SrcBillNo")).toString();
    if (!transfer.isEmpty())
        emit BillLinkActivated(transfer);
}

namespace ledger {

TStockLedgerForm* ShowStockLedger(QWidget* parent, const QString& storageCode, const QString& goodsCode)
{
    auto* form = new TStockLedgerForm(parent);
    form->setWindowFlag(Qt::Window);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->InitWindow();
    platform::Guarded([&] { form->ShowLedger(storageCode, goodsCode); });
    form->show();
    return form;
}

} // namespace ledger
