#include "billedit/FrmBillEdit.h"
#include "ui_FrmBillEdit.h"

#include "billedit/FrmBillEditSql.h"
#include "lookup/FrmQryGoodsList.h"
#include "lookup/FrmQryStorageList.h"
#include "model/Bas_GoodsInfo.h"
#include "model/Bas_Storage.h"
#include "model/BillConst.h"
#include "model/BillNo.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "model/TransferBill.h"
#include "platform/Application.h"
#include "platform/ButtonEdit.h"
#include "platform/core/Dataset.h"
#include "platform/CurrencyEdit.h"
#include "platform/DataController.h"
#include "platform/DataSource.h"
#include "platform/DateEdit.h"
#include "platform/DialogPlacement.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/rframebottom3.h"
#include "platform/SlotGuard.h"
#include "platform/StyleRepository.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

TBillEditFrm* BillEditFrm = nullptr;

namespace {

using platform::Currency;

const QString kChooseSource = QStringLiteral("请选择调出仓库!");
const QString kChooseGoods = QStringLiteral("请选择商品!");
const QString kQuantityRange = model::QuantityRangeText();
const QString kPriceNegative = model::PriceNegativeText();
const QString kPriceInvalid = model::PriceInvalidText();
static_assert(TBillEditFrm::MinQuantity == model::MinQuantity && TBillEditFrm::MaxQuantity == model::MaxQuantity
              && TBillEditFrm::MaxPrice == model::MaxPrice);
const QString kSaving = QStringLiteral("正在保存数据请稍等...");
const QString kSaveFailed = QStringLiteral("保存数据失败\r\n");

using namespace model::linefields;

bool PlainKey(int key, Qt::KeyboardModifiers shift, int wanted)
{
    return key == wanted && !(shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

// A number from a dataset or summary value of any numeric type; nullopt when it is none.
std::optional<double> NumberOf(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().ToDouble();
    QString text = platform::VariantToText(v).trimmed();
    text.remove(u',');
    bool ok = false;
    const double d = text.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

using model::QuantityInRange;
using model::RoundQuantity;

model::LineGoods LineGoodsOf(const TBas_GoodsInfo& g) { return {g.GoodsCode, g.GoodsName, g.Model, g.CalUnit}; }

// The initial price of a picked goods: its last purchase price, else its default one.
Currency PickedPrice(const TBas_GoodsInfo& g)
{
    return Currency::FromDouble(g.LastInPrice > 0 ? g.LastInPrice : g.DefaultInPrice);
}

} // namespace

// Disables the six controls of a running save and enables them again however the save ends.
class TBillEditFrm::BusyScope {
public:
    explicit BusyScope(TBillEditFrm& f) : f_(f), focus_(f.focusWidget())
    {
        f_.busy_ = true;
        for (QWidget* w : Controls())
            w->setEnabled(false);
    }
    ~BusyScope()
    {
        for (QWidget* w : Controls())
            w->setEnabled(true);
        f_.busy_ = false;
        // Disabling took the focus away; a clerk whose save failed goes on from where he was.
        if (focus_ && focus_->isEnabled() && focus_->isVisible())
            focus_->setFocus();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QList<QWidget*> Controls() const
    {
        return {f_.btnAdd, f_.btnDelete, f_.Frame31->bbtnEnter, f_.Frame31->bbtnClose, f_.cxGroupBox1,
                f_.cxGroupBox2};
    }
    TBillEditFrm& f_;
    QPointer<QWidget> focus_;
};

TBillEditFrm::TBillEditFrm(QWidget* parent) : platform::Form(parent)
{
    setObjectName(QStringLiteral("BillEditFrm"));
    setWindowTitle(QStringLiteral("商品调拨单"));
    platform::FixDialogSize(this, 629, 483);
    SetKeyPreview(true);
    InstallKeyPreview();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);
    // The header and the line entry are laid out in FrmBillEdit.ui; they are the form's
    // components in the order the form has always had them.
    ui_ = std::make_unique<Ui::BillEditClient>();
    auto* client = new QWidget(this);
    ui_->setupUi(client);
    layout->addWidget(client, 1);
    cxGroupBox1 = Own(ui_->cxGroupBox1);
    lblBillNo = Own(ui_->lblBillNo);
    edtBillNo = Own(ui_->edtBillNo);
    lblBillDate = Own(ui_->lblBillDate);
    dtpBillDate = Own(ui_->dtpBillDate);
    dtpBillDate->SetShowToday(true);
    dtpBillDate->SetDisabledColor(QColor(0xFF, 0xFB, 0xF0));
    lblStorageOut = Own(ui_->lblStorageOut);
    edtStorageOut = Own(ui_->edtStorageOut);
    lblStorageIn = Own(ui_->lblStorageIn);
    edtStorageIn = Own(ui_->edtStorageIn);
    lblRemark = Own(ui_->lblRemark);
    edtRemark = Own(ui_->edtRemark);
    cxGroupBox2 = Own(ui_->cxGroupBox2);
    lblCondition = Own(ui_->lblCondition);
    edtCondition = Own(ui_->edtCondition);
    lblGoodsPrice = Own(ui_->lblGoodsPrice);
    edtGoodsPrice = Own(ui_->edtGoodsPrice);
    edtGoodsPrice->SetDisplayFormat(QStringLiteral("￥,0.00;￥-,0.00"));
    lblGoodsCount = Own(ui_->lblGoodsCount);
    edtGoodsCount = Own(ui_->edtGoodsCount);
    btnAdd = Own(ui_->btnAdd);
    btnDelete = Own(ui_->btnDelete);
    for (platform::ButtonEdit* upper : {edtStorageOut, edtStorageIn, edtCondition})
        upper->SetUpperCase(true);

    cxGrid = Own(ui_->cxGrid);
    CreateLineColumns();

    // Esc does not cancel here: a clerk's Esc in the grid must not throw a bill away.
    Frame31 = Own(new TFrame3(this));
    layout->addWidget(Frame31);

    setTabOrder(btnDelete, TableGoodsList->Table());
    setTabOrder(TableGoodsList->Table(), Frame31->bbtnEnter);
    setTabOrder(Frame31->bbtnEnter, Frame31->bbtnClose);

    ConnectHandlers();

    // Creation steps.
    TableGoodsList->SetStyleSheet(
        plugin::HostUi()->StyleRepository()->StyleSheet(platform::StyleRepository::TableViewSheet));
    GoodsInfo = std::make_unique<TBas_GoodsInfo>();
    LineData = plugin::OpenQuery(billedit::LineShapeSql());
    Bill = std::make_unique<model::TransferBill>(*LineData);
    dsLineData = new platform::DataSource(this);
    dsLineData->setObjectName(QStringLiteral("dsLineData"));
    dsLineData->SetDataSet(LineData.get());
    TableGoodsList->DataController()->SetDataSource(dsLineData);
    if (QComboBox* units = plugin::HostDict()->ComboFromSql(billedit::UnitItemsSql()))
        colCalUnit->Properties().AssignItemsFrom(units);
    dtpBillDate->SetDate(model::Today());
    TableGoodsListDataControllerDataChanged();
    CreateScanBox();
}

void TBillEditFrm::CreateLineColumns()
{
    TableGoodsList = Own(cxGrid->CreateTableView(QStringLiteral("TableGoodsList")));
    TableGoodsList->SetAlwaysShowEditor(true);
    TableGoodsList->SetCellHints(true);
    TableGoodsList->SetGoToNextCellOnEnter(true);
    TableGoodsList->SetFocusFirstCellOnNewRecord(true);
    TableGoodsList->SetAllowAppend(true);
    TableGoodsList->SetAllowInsert(false);
    TableGoodsList->SetFooterVisible(true);
    TableGoodsList->SetGroupByBoxVisible(false);
    auto column = [this](const char* name, const QString& caption, const char* field, int width) {
        return Own(TableGoodsList->CreateColumn(QLatin1String(name), caption, QLatin1String(field), width));
    };
    colGoodsCode = column("colGoodsCode", QStringLiteral("商品编号"), "GoodsCode", 120);
    colGoodsCode->Properties().SetKind(platform::EditorKind::ButtonEdit);
    colGoodsCode->Properties().SetUpperCase(true);
    colGoodsName = column("colGoodsName", QStringLiteral("商品名称"), "GoodsName", 170);
    colGoodsName->SetFocusing(false);
    colModel = column("colModel", QStringLiteral("规格"), "Model", 80);
    colModel->SetVisible(false);
    colModel->SetFocusing(false);
    colCalUnit = column("colCalUnit", QStringLiteral("单位"), "CalUnit", 50);
    colCalUnit->Properties().SetKind(platform::EditorKind::ImageCombo);
    colCalUnit->Properties().SetShowButtons(false);
    colCalUnit->SetFocusing(false);
    colGoodsPrice = column("colGoodsPrice", QStringLiteral("单价"), "GoodsPrice", 80);
    colGoodsPrice->Properties().SetKind(platform::EditorKind::Currency);
    colGoodsPrice->Properties().SetDisplayFormat(QStringLiteral("￥,0.00"));
    colGoodsPrice->Properties().SetMinValue(0.01);
    colGoodsPrice->Properties().SetNullString(QStringLiteral("0"));
    colGoodsPrice->SetFocusing(false);
    colGoodsCount = column("colGoodsCount", QStringLiteral("数量(N)"), "GoodsCount", 80);
    colGoodsCount->Properties().SetKind(platform::EditorKind::Currency);
    colGoodsCount->Properties().SetDisplayFormat(QStringLiteral("0.00"));
    // The editor flags what the quantity message names: a number within 1..10000.
    colGoodsCount->Properties().SetMinValue(MinQuantity);
    colGoodsCount->Properties().SetMaxValue(MaxQuantity);
    colPaysum = column("colPaysum", QStringLiteral("金额"), "Paysum", 90);
    colPaysum->Properties().SetKind(platform::EditorKind::Currency);
    // Amounts keep their four decimals where they have them (2.5 x 3.333 = 8.3325).
    colPaysum->Properties().SetDisplayFormat(QStringLiteral("0.00##"));
    colPaysum->SetFocusing(false);
    platform::DataController* dc = TableGoodsList->DataController();
    dc->AddFooterSummary(platform::FooterSummary::Kind::Sum, colGoodsCount, QStringLiteral("0.00"));
    dc->AddFooterSummary(platform::FooterSummary::Kind::Sum, colPaysum, QStringLiteral("0.00"));
    dc->AddFooterSummary(platform::FooterSummary::Kind::Count, colGoodsCode, QStringLiteral("0 条记录"));
}

void TBillEditFrm::ConnectHandlers()
{
    platform::DataController* dc = TableGoodsList->DataController();
    using T = TBillEditFrm;
    connect(Frame31->bbtnEnter, &QPushButton::clicked, this, platform::Guard(this, &T::Frame31bbtnEnterClick));
    connect(Frame31->bbtnClose, &QPushButton::clicked, this, platform::Guard(this, &T::Frame31bbtnCloseClick));
    connect(btnAdd, &QPushButton::clicked, this, platform::Guard(this, &T::btnAddClick));
    connect(btnDelete, &QPushButton::clicked, this, platform::Guard(this, &T::btnDeleteClick));
    connect(edtCondition, &platform::TextEdit::KeyDown, this, platform::Guard(this, &T::edtConditionKeyDown));
    connect(edtCondition, &platform::ButtonEdit::ButtonClicked, this,
            platform::Guard(this, &T::edtConditionPropertiesButtonClick));
    connect(edtGoodsCount, &platform::TextEdit::KeyDown, this, platform::Guard(this, &T::edtGoodsCountKeyDown));
    connect(edtGoodsCount, &platform::TextEdit::KeyPress, this, platform::Guard(this, &T::edtGoodsCountKeyPress));
    connect(edtGoodsPrice, &QLineEdit::textEdited, this, [this](const QString& text) { typedPrice_ = text; });
    connect(edtStorageOut, &platform::ButtonEdit::ButtonClicked, this,
            platform::Guard(this, &T::edtStorageOutPropertiesButtonClick));
    connect(edtStorageIn, &platform::ButtonEdit::ButtonClicked, this,
            platform::Guard(this, &T::edtStorageInPropertiesButtonClick));
    connect(edtStorageOut, &platform::TextEdit::KeyDown, this, platform::Guard(this, &T::edtStorageOutKeyDown));
    connect(edtStorageIn, &platform::TextEdit::KeyDown, this, platform::Guard(this, &T::edtStorageInKeyDown));
    colGoodsCode->Properties().OnValidate = [this](platform::GridColumn* c, QVariant& v, QString& text, bool& error) {
        colGoodsCodePropertiesValidate(c, v, text, error);
    };
    colGoodsCount->Properties().OnValidate = [this](platform::GridColumn* c, QVariant& v, QString& text, bool& error) {
        colGoodsCountPropertiesValidate(c, v, text, error);
    };
    colGoodsPrice->Properties().OnValidate = [this](platform::GridColumn* c, QVariant& v, QString& text, bool& error) {
        colGoodsPricePropertiesValidate(c, v, text, error);
    };
    connect(dc, &platform::DataController::DataChanged, this,
            platform::Guard(this, &T::TableGoodsListDataControllerDataChanged));
    // Moving between lines changes which columns the current line may edit, too.
    connect(TableGoodsList, &platform::TableView::FocusedRecordChanged, this,
            platform::Guard(this, &T::TableGoodsListDataControllerDataChanged));
    connect(TableGoodsList, &platform::TableView::CellDblClick, this, platform::Guard(this, &T::TableGoodsListCellDblClick));
    connect(TableGoodsList, &platform::TableView::EditKeyDown, this, platform::Guard(this, &T::TableGoodsListEditKeyDown));
    connect(TableGoodsList, &platform::TableView::KeyDown, this, platform::Guard(this, &T::TableGoodsListKeyDown));
}

TBillEditFrm::~TBillEditFrm()
{
    // The grid lets go of the lines before they go.
    TableGoodsList->DataController()->SetDataSource(nullptr);
    dsLineData->SetDataSet(nullptr);
}

// ---- opening -------------------------------------------------------------------------------

void TBillEditFrm::showEvent(QShowEvent* event)
{
    platform::Form::showEvent(event);
    if (!event->spontaneous()) {
        platform::CentreOnScreen(this);
        platform::Guarded([this] { FormShow(); });
    }
}

void TBillEditFrm::FormShow()
{
    if (AddMode) {
        SrcStorageCode.clear();
        DesStorageCode.clear();
        SrcStorageName.clear();
        DesStorageName.clear();
        edtBillNo->setText(QStringLiteral("新增订单"));
        if (CopyOfBillNo.isEmpty())
            LineData->Append();
    }
    // A copy starts from the copied bill's storages and lines, with its own number and date.
    const QString loaded = AddMode ? CopyOfBillNo : BillNo;
    {
        std::unique_ptr<platform::Dataset> head = plugin::OpenQuery(billedit::BillHeaderSql(loaded));
        if (head && !head->IsEmpty()) {
            head->First();
            auto text = [&head](const char* field) { return head->FieldByName(QLatin1String(field)).AsString(); };
            if (!AddMode) {
                edtBillNo->setText(BillNo);
                dtpBillDate->SetDate(head->FieldByName(QStringLiteral("BillDate")).AsDateTime().date());
                edtRemark->setText(text("Remark"));
            }
            SrcStorageName = text("storageName_Out");
            SrcStorageCode = text("Src_StorageCode");
            edtStorageOut->setText(SrcStorageName);
            DesStorageName = text("storageName_In");
            DesStorageCode = text("Des_StorageCode");
            edtStorageIn->setText(DesStorageName);
        }
    }
    {
        std::unique_ptr<platform::Dataset> rows = plugin::OpenQuery(billedit::BillLinesSql(loaded));
        for (rows->First(); !rows->Eof(); rows->Next()) {
            model::TransferLine line;
            line.goodsCode = rows->FieldByName(fGoodsCode).AsString();
            line.goodsName = rows->FieldByName(fGoodsName).AsString();
            line.model = rows->FieldByName(fModel).AsString();
            line.calUnit = rows->FieldByName(fCalUnit).AsString();
            line.goodsPrice = rows->FieldByName(fGoodsPrice).AsCurrency();
            line.goodsCount = rows->FieldByName(fGoodsCount).AsFloat();
            line.paySum = rows->FieldByName(fPaySum).AsCurrency();
            Bill->SetLine(line);
        }
    }
    edtStorageOut->setFocus();
}

// ---- keys ----------------------------------------------------------------------------------

void TBillEditFrm::FormKeyPress(QString& text)
{
    // No text typed here may carry a single quote.
    text.remove(u'\'');
}

void TBillEditFrm::keyPressEvent(QKeyEvent* event)
{
    // Keys no control took: Esc does not cancel the bill, and Enter in an edit does not press
    // OK (a quantity confirmed with Enter must not save a half-entered bill). Enter on a
    // focused button is the button's own.
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return;
    }
    platform::Form::keyPressEvent(event);
}

void TBillEditFrm::closeEvent(QCloseEvent* event)
{
    // While the save runs the dialog stays: the hint's message processing must not close it.
    if (busy_) {
        event->ignore();
        return;
    }
    Saved = false;
    platform::Form::closeEvent(event);
}

void TBillEditFrm::edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (!PlainKey(key, shift, Qt::Key_Tab))
        return;
    if (!edtCondition->text().trimmed().isEmpty()) {
        // A refused pick has put the focus where the clerk must go; the Tab must not move it on.
        key = 0;
        PickGoods();
        // After the pick the Tab goes on to the price.
        key = Qt::Key_Tab;
        return;
    }
    key = 0;
    AppendEmptyLine();
}

void TBillEditFrm::edtConditionPropertiesButtonClick() { PickGoods(); }

void TBillEditFrm::edtGoodsCountKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (!PlainKey(key, shift, Qt::Key_Tab))
        return;
    // Add decides where the focus goes.
    key = 0;
    btnAddClick();
}

void TBillEditFrm::edtGoodsCountKeyPress(QString& text)
{
    QString kept;
    for (QChar c : text)
        if ((c >= u'0' && c <= u'9') || c == u'.' || c == u'\b' || c == u'\r')
            kept += c;
    text = kept;
}

void TBillEditFrm::edtStorageOutKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (PlainKey(key, shift, Qt::Key_Tab))
        edtStorageOutPropertiesButtonClick();
}

void TBillEditFrm::edtStorageInKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (PlainKey(key, shift, Qt::Key_Tab))
        edtStorageInPropertiesButtonClick();
}

void TBillEditFrm::TableGoodsListEditKeyDown(platform::GridColumn*, int& key, Qt::KeyboardModifiers shift)
{
    if (!PlainKey(key, shift, Qt::Key_Tab))
        return;
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const QString text = editor ? editor->text().trimmed() : QString();
    platform::DataController* dc = TableGoodsList->DataController();
    if (text.isEmpty() && dc->RowCount() == LineData->RecordCount() + 1) {
        // An empty new line: the bill is done, on to OK.
        Frame31->bbtnEnter->setFocus(Qt::TabFocusReason);
        key = 0;
    }
}

void TBillEditFrm::TableGoodsListKeyDown(int&, Qt::KeyboardModifiers) {}

// ---- storages ------------------------------------------------------------------------------

void TBillEditFrm::PickStorage(platform::ButtonEdit* edit, QString& code, QString& pickedName)
{
    std::unique_ptr<Tbas_Storage> storage;
    if (SelectStorage(edit->text().trimmed(), storage) && storage) {
        edit->setText(storage->StorageName);
        code = storage->StorageCode;
        pickedName = storage->StorageName;
    }
}

void TBillEditFrm::edtStorageOutPropertiesButtonClick() { PickStorage(edtStorageOut, SrcStorageCode, SrcStorageName); }

void TBillEditFrm::edtStorageInPropertiesButtonClick() { PickStorage(edtStorageIn, DesStorageCode, DesStorageName); }

// ---- goods and lines -----------------------------------------------------------------------

void TBillEditFrm::RequireSourceStorage()
{
    if (SrcStorageCode.isEmpty()) {
        edtStorageOut->setFocus();
        plugin::Refuse(kChooseSource);
    }
}

void TBillEditFrm::PickGoods()
{
    RequireSourceStorage();
    std::unique_ptr<TBas_GoodsInfo> goods;
    const bool picked = SelectGoodsInStorage(edtCondition->text().trimmed(), SrcStorageCode, goods);
    GoodsInfo = goods ? std::move(goods) : std::make_unique<TBas_GoodsInfo>();
    if (picked) {
        edtCondition->setText(GoodsInfo->GoodsName);
        edtGoodsPrice->SetValue(PickedPrice(*GoodsInfo));
        typedPrice_.clear();
    } else {
        edtCondition->clear();
    }
}

void TBillEditFrm::AppendEmptyLine()
{
    LineData->Append();
    TableGoodsList->SetFocus();
}

QString TBillEditFrm::CurrentGoodsName() const
{
    if (!LineData || (LineData->GetState() == platform::Dataset::State::Browse && LineData->RecNo() < 0))
        return {};
    return LineData->FieldByName(fGoodsName).AsString();
}

double TBillEditFrm::QuickQuantity()
{
    const std::optional<double> q = NumberOf(edtGoodsCount->text());
    if (!q || !QuantityInRange(RoundQuantity(*q))) {
        edtGoodsCount->setFocus();
        edtGoodsCount->selectAll();
        plugin::Refuse(kQuantityRange);
    }
    return RoundQuantity(*q);
}

Currency TBillEditFrm::QuickPrice()
{
    // The edit keeps its last good value when the text typed is no price; say so instead of
    // taking the old value silently.
    if (!typedPrice_.trimmed().isEmpty()) {
        QString t = typedPrice_.trimmed();
        t.remove(u',');
        t.remove(QChar(0xFFE5));
        const std::optional<Currency> c = Currency::Parse(t);
        const std::optional<QString> refusal = c ? model::PriceRefusal(c->ToDouble()) : kPriceInvalid;
        if (refusal) {
            edtGoodsPrice->setFocus();
            edtGoodsPrice->selectAll();
            plugin::Refuse(*refusal);
        }
        return *c;
    }
    const Currency v = edtGoodsPrice->Value();
    if (const std::optional<QString> refusal = model::PriceRefusal(v.ToDouble())) {
        edtGoodsPrice->setFocus();
        plugin::Refuse(*refusal);
    }
    return v;
}

void TBillEditFrm::btnAddClick()
{
    if (edtGoodsCount->text().trimmed().isEmpty())
        edtGoodsCount->setText(QStringLiteral("1"));
    if (edtCondition->text().trimmed().isEmpty() || GoodsInfo->GoodsCode.isEmpty()) {
        AppendEmptyLine();
        return;
    }
    const double quantity = QuickQuantity();
    const Currency price = QuickPrice();
    if (const std::optional<QString> refusal = Bill->AddGoods(LineGoodsOf(*GoodsInfo), quantity, price)) {
        edtGoodsCount->setFocus();
        edtGoodsCount->selectAll();
        plugin::Refuse(*refusal);
    }
    edtGoodsCount->setText(QStringLiteral("1"));
    edtCondition->clear();
    edtGoodsPrice->SetValue(Currency());
    typedPrice_.clear();
    GoodsInfo->GoodsCode.clear();
    edtCondition->setFocus();
}

void TBillEditFrm::DeleteCurrentLine()
{
    if (LineData->IsEmpty())
        return;
    LineData->Delete();
}

void TBillEditFrm::btnDeleteClick() { DeleteCurrentLine(); }

void TBillEditFrm::TableGoodsListCellDblClick(int recordIndex, platform::GridColumn*)
{
    // The line double-clicked is the line that goes, whichever line had the focus before.
    if (recordIndex >= 0 && recordIndex < LineData->RecordCount())
        TableGoodsList->DataController()->SetFocusedRecordIndex(recordIndex);
    DeleteCurrentLine();
}

void TBillEditFrm::colGoodsCodePropertiesValidate(platform::GridColumn*, QVariant& value, QString&, bool&)
{
    RequireSourceStorage();
    if (!CurrentGoodsName().isEmpty()) {
        // A line's goods never changes.
        value = LineData->FieldByName(fGoodsCode).AsString();
        return;
    }
    const QString condition = platform::VariantToText(value).trimmed();
    if (condition.isEmpty())
        return;
    if (LineData->GetState() != platform::Dataset::State::Browse || LineData->RecNo() >= 0)
        LineData->Delete();
    std::unique_ptr<TBas_GoodsInfo> goods;
    const bool picked = SelectGoodsInStorage(condition, SrcStorageCode, goods);
    GoodsInfo = goods ? std::move(goods) : std::make_unique<TBas_GoodsInfo>();
    if (!picked || GoodsInfo->GoodsCode.isEmpty())
        return;
    (void)Bill->PickGoods(LineGoodsOf(*GoodsInfo), PickedPrice(*GoodsInfo));
}

std::optional<double> TBillEditFrm::EnteredNumber(QVariant& value, QString& errorText, bool error,
                                                  const QString& refusal, double fallback) const
{
    if (LineData->IsEmpty())
        return std::nullopt;
    if (CurrentGoodsName().isEmpty()) {
        value = 0;
        errorText = kChooseGoods;
        return std::nullopt;
    }
    if (error) {
        // Text the cell's editor could not read as a number.
        errorText = refusal;
        value = fallback;
        return std::nullopt;
    }
    return NumberOf(value).value_or(fallback);
}

void TBillEditFrm::colGoodsCountPropertiesValidate(platform::GridColumn*, QVariant& value, QString& errorText,
                                                   bool& error)
{
    const auto entered = EnteredNumber(value, errorText, error, kQuantityRange, 1);
    if (!entered)
        return;
    const double quantity = RoundQuantity(*entered);
    if (!QuantityInRange(quantity)) {
        // Rounding can leave the range the editor checked (0.996 becomes 1.00, 0.994 0.99).
        errorText = kQuantityRange;
        error = true;
        value = 1;
        return;
    }
    Bill->SetQuantity(quantity);
}

void TBillEditFrm::colGoodsPricePropertiesValidate(platform::GridColumn*, QVariant& value, QString& errorText,
                                                   bool& error)
{
    const auto price = EnteredNumber(value, errorText, error, kPriceNegative, 0);
    if (!price)
        return;
    if (*price > MaxPrice) {
        errorText = kPriceInvalid;
        error = true;
        value = 0;
        return;
    }
    Bill->SetPrice(Currency::FromDouble(*price));
}

void TBillEditFrm::TableGoodsListDataControllerDataChanged()
{
    if (!LineData)
        return;
    // A line with goods takes price and quantity; a line without takes a goods code.
    const bool hasGoods = !CurrentGoodsName().isEmpty();
    if (colGoodsPrice->Properties().ReadOnly() == hasGoods)
        colGoodsPrice->Properties().SetReadOnly(!hasGoods);
    if (colGoodsCount->Properties().ReadOnly() == hasGoods)
        colGoodsCount->Properties().SetReadOnly(!hasGoods);
    if (colGoodsCode->Properties().ReadOnly() != hasGoods)
        colGoodsCode->Properties().SetReadOnly(hasGoods);
}

// ---- OK and Cancel -------------------------------------------------------------------------

bool TBillEditFrm::HasGoodsLine() const { return Bill->HasGoodsLine(); }

void TBillEditFrm::CheckBill()
{
    model::TransferHead head;
    head.newBill = AddMode;
    head.billNo = edtBillNo->text();
    head.billDate = dtpBillDate->Date();
    head.srcText = edtStorageOut->text();
    head.srcCode = SrcStorageCode;
    head.srcPickedName = SrcStorageName;
    head.desText = edtStorageIn->text();
    head.desCode = DesStorageCode;
    head.desPickedName = DesStorageName;
    const std::optional<model::HeadRefusal> refusal = model::CheckTransferHead(head, model::Today(), HasGoodsLine());
    if (!refusal)
        return;
    switch (refusal->field) {
    case model::HeadField::BillNo:
        break;
    case model::HeadField::BillDate:
        if (refusal->dateToToday)
            dtpBillDate->SetDate(model::Today());
        else
            dtpBillDate->setFocus();
        break;
    case model::HeadField::SourceStorage:
        edtStorageOut->setFocus();
        break;
    case model::HeadField::DestinationStorage:
        edtStorageIn->setFocus();
        break;
    case model::HeadField::Goods:
        edtCondition->setFocus();
        break;
    }
    plugin::Refuse(refusal->text);
}

QVector<model::TransferLine> TBillEditFrm::LinesToSave() { return Bill->Lines(); }

void TBillEditFrm::Frame31bbtnEnterClick()
{
    Saved = false;
    CheckBill();
    bool written = false;
    {
        BusyScope busy(*this);
        // Leaving the pending line posts a changed one and drops an untouched one.
        LineData->CheckBrowseMode();
        const QVector<billedit::SaveLine> lines = LinesToSave();
        billedit::SaveHeader head;
        head.billSum = Bill->TotalAmount();
        head.goodsCount = Bill->TotalQuantity();
        if (AddMode) {
            plugin::IntfPtr<plugin::IDbIntf> db = plugin::HostDb();
            head.id = db->NextSequence(model::SEQ_JXCID);
            head.billNo = model::NewBillNo(*db, model::PrefixTransfer, model::JXC_BILLNO_DB);
        } else {
            head.id = BillID;
            head.billNo = BillNo;
        }
        head.billDate = dtpBillDate->Date();
        head.srcStorageCode = SrcStorageCode;
        head.desStorageCode = DesStorageCode;
        head.remark = edtRemark->text();
        head.operatorCode = plugin::HostOperator().OperatorCode;
        const QString block = billedit::SaveBlockSql(AddMode, head, lines);

        written = plugin::RunCommand({.progress = kSaving, .failure = kSaveFailed},
                                     [&] { plugin::HostDb()->ExecSql(block); });
    }
    // A bill the database refused stays open with everything the clerk entered: OK again
    // retries, Cancel gives up.
    if (written) {
        Saved = true;
        accept();
    }
}

void TBillEditFrm::Frame31bbtnCloseClick()
{
    Saved = false;
    reject();
}
