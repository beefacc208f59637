#pragma once
// Paints a table view's cells with the view's styles (content, even/odd rows, the columns'
// content-style handlers, merged cells) and makes the cell editors by column kind: text, button
// edit, image combo, currency; labels are not edited. Committing an editor goes through the
// view's validation (TableView::CommitValue), and only when the entry was changed.
#include <QPointer>
#include <QStyledItemDelegate>

namespace platform {

class TableView;

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(TableView* view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    // The cell editor now open, or nullptr.
    QWidget* OpenEditor() const { return open_; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    TableView* view_;
    mutable QPointer<QWidget> open_;
};

} // namespace platform
