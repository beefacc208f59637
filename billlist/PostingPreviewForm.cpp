#include "billlist/PostingPreviewForm.h"
#include "ui_PostingPreviewForm.h"

#include "platform/DataController.h"
#include "platform/DataSource.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/StyleRepository.h"
#include "platform/TableView.h"
#include "platform/core/Dataset.h"
#include "plugin/Host.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

const QColor kNegativeColor(0xC0, 0x00, 0x00);

// The grid's fields, in load order.
enum PreviewField { fCode, fName, fQuantity, fSourceNow, fSourceAfter, fDestNow, fDestAfter, fPromised, fNote };

std::unique_ptr<platform::Dataset> NewRows()
{
    using platform::FieldType;
    return std::make_unique<platform::Dataset>(QVector<platform::FieldDef>{
        {QStringLiteral("GoodsCode"), FieldType::Text},
        {QStringLiteral("GoodsName"), FieldType::Text},
        {QStringLiteral("Quantity"), FieldType::Float},
        {QStringLiteral("SourceNow"), FieldType::Float},
        {QStringLiteral("SourceAfter"), FieldType::Float},
        {QStringLiteral("DestNow"), FieldType::Float},
        {QStringLiteral("DestAfter"), FieldType::Float},
        {QStringLiteral("Promised"), FieldType::Float},
        {QStringLiteral("Note"), FieldType::Text},
    });
}

} // namespace

TPostingPreviewForm::TPostingPreviewForm(const QString& billNo, const QString& sourceName, const QString& destName,
                                         std::vector<billlist::PreviewRow> rows, bool promised, QWidget* parent)
    : platform::Form(parent), rows_(std::move(rows))
{
    setObjectName(QStringLiteral("TPostingPreviewForm"));
    setWindowTitle(QStringLiteral("调拨预览"));
    setModal(false);
    resize(900, 360);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ui_ = std::make_unique<Ui::PostingPreviewClient>();
    auto* client = new QWidget(this);
    ui_->setupUi(client);
    layout->addWidget(client);
    lblBill = Own(ui_->lblBill);
    lblBill->setText(QStringLiteral("调拨单：") + billNo + QStringLiteral("    调出仓库：") + sourceName
                     + QStringLiteral("    调入仓库：") + destName);
    cxGridPreview = Own(ui_->cxGridPreview);
    CreateColumns(promised);
    Load();
}

TPostingPreviewForm::~TPostingPreviewForm()
{
    if (source_)
        source_->SetDataSet(nullptr);
}

void TPostingPreviewForm::CreateColumns(bool promised)
{
    TablePreview = Own(cxGridPreview->CreateTableView(QStringLiteral("TablePreview")));
    TablePreview->SetEditing(false);
    TablePreview->SetAllowAppend(false);
    TablePreview->SetAllowInsert(false);
    TablePreview->SetAllowDelete(false);
    TablePreview->SetGroupByBoxVisible(false);
    TablePreview->SetStyleSheet(plugin::HostUi()->StyleRepository()->StyleSheet(platform::StyleRepository::TableViewSheet));
    auto column = [this](const char* name, const QString& caption, const char* field, int width) {
        return Own(TablePreview->CreateColumn(QLatin1String(name), caption, QLatin1String(field), width));
    };
    column("colGoodsCode", QStringLiteral("商品编号"), "GoodsCode", 100);
    column("colGoodsName", QStringLiteral("商品名称"), "GoodsName", 160);
    column("colQuantity", QStringLiteral("调拨数量"), "Quantity", 80);
    column("colSourceNow", QStringLiteral("调出仓库现有"), "SourceNow", 95);
    colSourceAfter = column("colSourceAfter", QStringLiteral("调出仓库调拨后"), "SourceAfter", 105);
    column("colDestNow", QStringLiteral("调入仓库现有"), "DestNow", 95);
    colDestAfter = column("colDestAfter", QStringLiteral("调入仓库调拨后"), "DestAfter", 105);
    colPromised = column("colPromised", QStringLiteral("其他单据占用"), "Promised", 95);
    colPromised->SetVisible(promised);
    colNote = column("colNote", QStringLiteral("说明"), "Note", 150);
    negative_.SetTextColor(kNegativeColor);
    negative_.SetBold(true);
    for (platform::GridColumn* after : {colSourceAfter, colDestAfter})
        after->OnGetContentStyle = [this, after](platform::TableView* view, int record, platform::GridStyle*& style) {
            if (view->DataController()->Value(record, after->Index()).toDouble() < 0)
                style = &negative_;
        };
}

void TPostingPreviewForm::Load()
{
    data_ = NewRows();
    for (const billlist::PreviewRow& r : rows_) {
        data_->LoadText(fCode, r.goodsCode);
        data_->LoadText(fName, r.goodsName);
        data_->LoadFloat(fQuantity, r.quantity);
        data_->LoadFloat(fSourceNow, r.sourceNow);
        data_->LoadFloat(fSourceAfter, r.sourceAfter);
        data_->LoadFloat(fDestNow, r.destNow);
        data_->LoadFloat(fDestAfter, r.destAfter);
        data_->LoadFloat(fPromised, r.promised);
        data_->LoadText(fNote, r.moved ? QString() : QStringLiteral("不在商品资料中，不入账"));
        data_->EndRow();
    }
    data_->EndLoad();
    source_ = new platform::DataSource(this);
    source_->SetDataSet(data_.get());
    TablePreview->DataController()->SetDataSource(source_);
}

QString TPostingPreviewForm::CellText(int row, platform::GridColumn* column) const
{
    return TablePreview->DataController()->DisplayText(row, column->Index());
}
