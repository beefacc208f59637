#pragma once
// The posting preview (调拨预览): a read-only window of what the posting of a bill would do per
// goods, shown beside the posting's question so the clerk reads it before answering.
#include "billlist/PostingPreview.h"
#include "platform/Component.h"
#include "platform/GridStyle.h"

#include <QString>
#include <memory>
#include <vector>

class QLabel;

namespace platform {
class DataSource;
class Dataset;
class Grid;
class GridColumn;
class TableView;
} // namespace platform

namespace Ui { class PostingPreviewClient; }

class TPostingPreviewForm : public platform::Form {
    Q_OBJECT
public:
    // The rows of the bill billNo from its source to its destination; promised: show what other
    // bills hold in the source (when promised stock is counted).
    TPostingPreviewForm(const QString& billNo, const QString& sourceName, const QString& destName,
                        std::vector<billlist::PreviewRow> rows, bool promised, QWidget* parent = nullptr);
    ~TPostingPreviewForm() override;

    QLabel* lblBill;
    platform::Grid* cxGridPreview;
    platform::TableView* TablePreview;
    const std::vector<billlist::PreviewRow>& Rows() const { return rows_; }
    // A cell's text as the grid shows it.
    QString CellText(int row, platform::GridColumn* column) const;
    platform::GridColumn* colSourceAfter;
    platform::GridColumn* colDestAfter;
    platform::GridColumn* colPromised;
    platform::GridColumn* colNote;

private:
    void CreateColumns(bool promised);
    void Load();

    std::unique_ptr<Ui::PostingPreviewClient> ui_;
    std::vector<billlist::PreviewRow> rows_;
    std::unique_ptr<platform::Dataset> data_;
    platform::DataSource* source_ = nullptr;
    platform::GridStyle negative_;
};
