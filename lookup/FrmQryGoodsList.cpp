#include "lookup/FrmQryGoodsList.h"

#include "lookup/FrmQryGoodsListSql.h"
#include "platform/Application.h"
#include "platform/DataController.h"
#include "platform/DataSource.h"
#include "platform/core/Dataset.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/core/RecordFields.h"
#include "platform/SlotGuard.h"
#include "platform/StyleRepository.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "plugin/Host.h"

#include <QComboBox>
#include <QTableView>
#include <QTimer>

namespace {

const QString kPrompt = QStringLiteral("提示");

// What a pick copies from the row onto the record; a column the host's table lacks leaves the
// record's value. LeftCount has a rule of its own.
const QStringList kPickedProperties = {
    QStringLiteral("ID"),           QStringLiteral("GoodsCode"),      QStringLiteral("GoodsName"),
    QStringLiteral("GoodsType"),    QStringLiteral("pyCode"),         QStringLiteral("BarCode"),
    QStringLiteral("Model"),        QStringLiteral("CalUnit"),        QStringLiteral("Brand"),
    QStringLiteral("Color"),        QStringLiteral("bigness"),        QStringLiteral("produceAddress"),
    QStringLiteral("LocationCode"), QStringLiteral("Remark"),         QStringLiteral("GoodsKind"),
    QStringLiteral("ImageID"),      QStringLiteral("ReBateFlag"),     QStringLiteral("UseFlag"),
    QStringLiteral("Sort"),         QStringLiteral("DefaultInPrice"), QStringLiteral("LastInPrice"),
    QStringLiteral("CostPrice"),    QStringLiteral("SellPrice"),      QStringLiteral("RebatePrice"),
    QStringLiteral("Valuta"),       QStringLiteral("MinPrice")};

} // namespace

TQryGoodsListFrm::TQryGoodsListFrm(QWidget* parent)
    : lookup::LookupForm(parent, QStringLiteral("QryGoodsListFrm"), QStringLiteral("商品检索"), 461, 442,
                         QStringLiteral("【商品选择】"), QStringLiteral("输入商品编号或商品名称、商品简拼，检索商品信息。"))
{
    cxGrid = Own(new platform::Grid(this), QStringLiteral("cxGrid"));
    TableGoodsList = Own(cxGrid->CreateTableView(QStringLiteral("TableGoodsList")));
    TableGoodsList->SetCellSelect(false);
    TableGoodsList->SetGroupByBoxVisible(false);
    TableGoodsList->SetColumnAutoWidth(true);
    TableGoodsList->SetFooterVisible(true);
    // A picker: nothing in the list is edited, appended or deleted.
    TableGoodsList->SetEditing(false);
    TableGoodsList->SetAllowAppend(false);
    TableGoodsList->SetAllowInsert(false);
    TableGoodsList->SetAllowDelete(false);
    AddList(cxGrid);

    auto column = [this](const char* name, const QString& caption, const char* field, int width) {
        return Own(TableGoodsList->CreateColumn(QLatin1String(name), caption, QLatin1String(field), width));
    };
    colGoodsCode = column("colGoodsCode", QStringLiteral("商品编号"), "GoodsCode", 106);
    colGoodsCode->SetMinWidth(100);
    colGoodsCode->SetFocusing(false);
    colGoodsName = column("colGoodsName", QStringLiteral("商品名称"), "GoodsName", 153);
    colGoodsName->SetMinWidth(40);
    colGoodsName->SetFocusing(false);
    colGdsLeftCount = column("colGdsLeftCount", QStringLiteral("库存数量"), "GdsLeftCount", 72);
    colGoodsPrice = column("colGoodsPrice", QStringLiteral("价格"), "LastInPrice", 63);
    colGoodsPrice->SetFocusing(false);
    colCalUnit = column("colCalUnit", QStringLiteral("单位"), "CalUnit", 65);
    colCalUnit->SetFocusing(false);
    colCalUnit->Properties().SetKind(platform::EditorKind::ImageCombo);
    colCalUnit->Properties().SetShowButtons(false);
    TableGoodsList->DataController()->AddFooterSummary(platform::FooterSummary::Kind::Count, colGoodsCode,
                                                       QStringLiteral("0 条记录"));

    tmr1 = Own(new QTimer(this), QStringLiteral("tmr1"));
    tmr1->setInterval(100);

    AddButtonBar(TableGoodsList->Table());

    connect(TableGoodsList, &platform::TableView::CellDblClick, this,
            platform::Guard(this, &TQryGoodsListFrm::TableGoodsListCellDblClick));
    connect(TableGoodsList, &platform::TableView::KeyDown, this,
            platform::Guard([this](int& key, Qt::KeyboardModifiers shift) {
                // Enter on a row picks it, as a double click does.
                if (PlainEnter(key, shift)) {
                    key = 0;
                    Frame31bbtnEnterClick();
                }
            }));
    connect(tmr1, &QTimer::timeout, this, platform::Guard(this, &TQryGoodsListFrm::tmr1Timer));

    // Creation steps.
    TableGoodsList->SetStyleSheet(plugin::HostUi()->StyleRepository()->StyleSheet(platform::StyleRepository::TableViewSheet));
    dsGoodsData = new platform::DataSource(this);
    dsGoodsData->setObjectName(QStringLiteral("dsGoodsData"));
    TableGoodsList->DataController()->SetDataSource(dsGoodsData);
    if (QComboBox* units = plugin::HostDict()->ComboFromSql(lookup::UnitListSql()))
        colCalUnit->Properties().AssignItemsFrom(units);
    GoodsInfo = std::make_unique<TBas_GoodsInfo>();
}

TQryGoodsListFrm::~TQryGoodsListFrm()
{
    tmr1->stop();
    // The result set and its data source go with the dialog; the record does not if it was taken.
    TableGoodsList->DataController()->SetDataSource(nullptr);
    dsGoodsData->SetDataSet(nullptr);
    GoodsData.reset();
    delete dsGoodsData;
    dsGoodsData = nullptr;
}

void TQryGoodsListFrm::QueryGoods(const QString& condition)
{
    // The operator's goods types are asked for only when something is searched.
    const QString sql = condition.isEmpty() && FilterStorageCode.isEmpty()
                            ? lookup::EmptyGoodsListSql()
                            : lookup::GoodsSearchSql(condition, FilterStorageCode,
                                                     plugin::HostRights()->GoodsTypeList(plugin::HostOperator().OperatorId));
    std::unique_ptr<platform::Dataset> data = plugin::OpenQuery(sql);
    // Bind the new result before the old one goes, so the grid never shows a dead dataset.
    dsGoodsData->SetDataSet(data.get());
    GoodsData = std::move(data);
    if (GoodsData && GoodsData->RecordCount() > 0)
        TableGoodsList->DataController()->SetFocusedRecordIndex(0);
}

void TQryGoodsListFrm::FormShow()
{
    const int count = GoodsData ? GoodsData->RecordCount() : 0;
    if (count == 0)
        edtCondition->setFocus();
    else
        TableGoodsList->SetFocus();
    // A single match of the opening search is taken without a further action by the user.
    if (count == 1)
        tmr1->start();
}

void TQryGoodsListFrm::Search(bool fromButton)
{
    const QString text = edtCondition->text().trimmed();
    if (text.size() < 3) {
        platform::Application()->MessageBox(QStringLiteral("请输入至少3位以上长度的查询条件!"), kPrompt, platform::mbOK,
                                            platform::MessageIcon::None);
        edtCondition->setFocus();
        return;
    }
    QueryGoods(text);
    if (GoodsData && GoodsData->RecordCount() > 0) {
        TableGoodsList->SetFocus();
        return;
    }
    edtCondition->setFocus();
    if (fromButton)
        platform::Application()->MessageBox(QStringLiteral("未查询到商品信息!"), kPrompt, platform::mbOK,
                                            platform::MessageIcon::Information);
}

void TQryGoodsListFrm::BtnQryClick() { Search(true); }

void TQryGoodsListFrm::edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (PlainTab(key, shift)) {
        // Consumed: the search decides where the focus goes.
        key = 0;
        Search(false);
    } else if (PlainEnter(key, shift)) {
        key = 0;
        Search(true);
    }
}

void TQryGoodsListFrm::TableGoodsListCellDblClick(int recordIndex, platform::GridColumn*)
{
    // The row clicked is the row taken, whichever cell of it was hit.
    if (GoodsData && recordIndex >= 0 && recordIndex < GoodsData->RecordCount())
        TableGoodsList->DataController()->SetFocusedRecordIndex(recordIndex);
    Frame31bbtnEnterClick();
}

void TQryGoodsListFrm::tmr1Timer()
{
    tmr1->stop();
    Frame31bbtnEnterClick();
}

void TQryGoodsListFrm::Frame31bbtnEnterClick()
{
    if (!GoodsData || GoodsData->RecordCount() == 0)
        return;
    platform::Dataset& ds = *GoodsData;
    const int focused = TableGoodsList->DataController()->FocusedRecordIndex();
    if (focused >= 0 && focused < ds.RecordCount() && ds.RecNo() != focused)
        ds.SetRecNo(focused);
    if (ds.RecNo() < 0)
        ds.First();

    TBas_GoodsInfo& g = *GoodsInfo;
    platform::FillRecord(g, ds, kPickedProperties);
    // The stock of the filtered storage, kept with its decimals; without a storage the summed
    // stock the grid shows is not handed back.
    g.LeftCount = 0;
    if (!FilterStorageCode.isEmpty() && ds.FieldIndex(QStringLiteral("GdsLeftCount")) >= 0)
        g.LeftCount = ds.FieldByName(QStringLiteral("GdsLeftCount")).AsFloat();

    Selected = true;
    accept();
}

namespace {

bool RunGoodsLookup(const QString& condition, const QString* storageCode, std::unique_ptr<TBas_GoodsInfo>& goods)
{
    TQryGoodsListFrm dialog;
    dialog.edtCondition->setText(condition);
    if (storageCode)
        dialog.SetFilterStorageCode(*storageCode);
    // The caller's text exactly: the upper-case edit must not change what is searched.
    dialog.QueryGoods(condition);
    dialog.ShowModal();
    goods = dialog.TakeGoodsInfo();
    return dialog.IsSelected();
}

} // namespace

bool SelectGoods(const QString& condition, std::unique_ptr<TBas_GoodsInfo>& goods)
{
    return RunGoodsLookup(condition, nullptr, goods);
}

bool SelectGoodsInStorage(const QString& condition, const QString& storageCode, std::unique_ptr<TBas_GoodsInfo>& goods)
{
    return RunGoodsLookup(condition, &storageCode, goods);
}
