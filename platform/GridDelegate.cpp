#include "platform/GridDelegate.h"

#include "platform/ButtonEdit.h"
#include "platform/core/Dataset.h"
#include "platform/GridTableWidget.h"
#include "platform/ImageComboBox.h"
#include "platform/SlotGuard.h"
#include "platform/TableView.h"
#include "platform/TableViewModel.h"
#include "platform/TextEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

namespace platform {

namespace {

// What the editor held when it was opened: a commit happens only when the entry differs.
const char* kInitial = "jxcInitialEntry";

QVariant EditorEntry(QWidget* editor)
{
    if (auto* combo = qobject_cast<ImageComboBox*>(editor))
        return combo->Value();
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        return line->text();
    return {};
}

} // namespace

GridDelegate::GridDelegate(TableView* view) : QStyledItemDelegate(view), view_(view) {}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    GridColumn* column = view_->Column(index.column());
    if (!column)
        return;
    const GridStyle style = view_->CellStyle(index.row(), column);
    if (style.IsAssigned(GridStyle::svFont)) {
        option->font = style.Font().resolve(option->font);
        option->fontMetrics = QFontMetrics(option->font);
    }
    if (style.IsAssigned(GridStyle::svColor))
        option->backgroundBrush = style.Color();
    const QColor text = style.EffectiveTextColor();
    if (text.isValid())
        option->palette.setColor(QPalette::Text, text);
    // Merged cells: an equal value under an equal value shows once.
    if (column->CellMerging() && index.row() > 0) {
        const QModelIndex above = index.sibling(index.row() - 1, index.column());
        if (above.data(Qt::DisplayRole).toString() == option->text)
            option->text.clear();
    }
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    GridColumn* column = view_->Column(index.column());
    if (!column || !column->IsEditable())
        return nullptr;
    const ColumnProperties& p = column->Properties();
    QWidget* editor = nullptr;
    switch (p.Kind()) {
    case EditorKind::Label:
        return nullptr;
    case EditorKind::ImageCombo: {
        auto* combo = new ImageComboBox(parent);
        for (const ImageComboItem& item : p.Items())
            combo->AddItem(item.value, item.description);
        editor = combo;
        break;
    }
    case EditorKind::ButtonEdit: {
        auto* edit = new ButtonEdit(parent);
        edit->SetUpperCase(p.UpperCase());
        edit->SetButtonVisible(p.ShowButtons());
        QPointer<GridColumn> col(column);
        connect(edit, &ButtonEdit::ButtonClicked, edit, [col](int button) {
            if (col && col->Properties().OnButtonClick)
                Guarded([&] { col->Properties().OnButtonClick(col, button); });
        });
        editor = edit;
        break;
    }
    case EditorKind::Currency:
    case EditorKind::Text: {
        auto* edit = new TextEdit(parent);
        edit->SetUpperCase(p.UpperCase());
        editor = edit;
        break;
    }
    }
    editor->setFont(option.font);
    editor->setAutoFillBackground(true);
    open_ = editor;
    return editor;
}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (open_ == editor)
        open_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::EditRole);
    if (auto* combo = qobject_cast<ImageComboBox*>(editor)) {
        combo->SetValue(value);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // Money and numbers are edited as plain numbers, without the display format.
        line->setText(VariantToText(value));
        line->selectAll();
    }
    editor->setProperty(kInitial, EditorEntry(editor));
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    const QVariant entry = EditorEntry(editor);
    const QVariant initial = editor->property(kInitial);
    if (VariantToText(entry) == VariantToText(initial) && entry.isValid() == initial.isValid())
        return;
    editor->setProperty(kInitial, entry);
    view_->CommitValue(index.row(), index.column(), entry, false);
}

void GridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        QTableView* table = view_->Table();
        const QModelIndex current = table->currentIndex();
        GridColumn* column = view_->Column(current.column());
        int key = ke->key();
        const bool aborted = !GuardedFinished([&] { emit view_->EditKeyDown(column, key, ke->modifiers()); });
        if (key == 0 || aborted)
            return true;
        // The handler moved the focus out of the grid: the key is done.
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus != editor && !view_->Widget()->isAncestorOf(focus))
            return true;
        switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            if ((key == Qt::Key_Up || key == Qt::Key_Down) && qobject_cast<QComboBox*>(editor))
                break; // the combo's own choice
            // Commit first; the view then moves.
            QPointer<QWidget> guard(editor);
            emit commitData(editor);
            // A handler may have removed the row: the view has then let go of the editor.
            if (guard && open_ == editor)
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            view_->HandleKey(key, ke->modifiers(), true);
            return true;
        }
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace platform
