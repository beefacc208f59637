#include "platform/GridTableWidget.h"

#include "platform/SlotGuard.h"
#include "platform/TableView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

GridTableWidget::GridTableWidget(TableView* view, QWidget* parent) : QTableView(parent), view_(view) {}

void GridTableWidget::keyPressEvent(QKeyEvent* e)
{
    int key = e->key();
    const bool aborted = !GuardedFinished([&] { emit view_->KeyDown(key, e->modifiers()); });
    if (key == 0 || aborted) {
        e->accept();
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != this && !isAncestorOf(focus))
        return; // a handler moved the focus away
    if (view_->HandleKey(key, e->modifiers(), false)) {
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

void GridTableWidget::mousePressEvent(QMouseEvent* e)
{
    const QModelIndex idx = indexAt(e->position().toPoint());
    pressed_ = idx;
    if (idx.isValid() && e->button() == Qt::LeftButton && !view_->ColumnFocusable(idx.column())) {
        // The row takes the focus; the cell cursor stays in a focusable column.
        int column = currentIndex().isValid() && view_->ColumnFocusable(currentIndex().column())
                         ? currentIndex().column()
                         : view_->NextFocusableColumn(-1, 1);
        if (column < 0)
            column = idx.column();
        setFocus(Qt::MouseFocusReason);
        setCurrentIndex(model()->index(idx.row(), column));
        return;
    }
    QTableView::mousePressEvent(e);
}

void GridTableWidget::mouseReleaseEvent(QMouseEvent* e)
{
    const QModelIndex idx = indexAt(e->position().toPoint());
    const bool click = e->button() == Qt::LeftButton && idx.isValid() && idx == QModelIndex(pressed_);
    QTableView::mouseReleaseEvent(e);
    if (click) {
        GridColumn* column = view_->Column(idx.column());
        Guarded([&] { emit view_->CellClick(idx.row(), column); });
    }
    pressed_ = QPersistentModelIndex();
}

void GridTableWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QModelIndex idx = indexAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && idx.isValid()) {
        GridColumn* column = view_->Column(idx.column());
        Guarded([&] { emit view_->CellDblClick(idx.row(), column); });
        return;
    }
    QTableView::mouseDoubleClickEvent(e);
}

void GridTableWidget::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    view_->OnCurrentChanged(previous.isValid() ? previous.row() : -1, current.isValid() ? current.row() : -1,
                            previous.isValid() ? previous.column() : -1, current.isValid() ? current.column() : -1);
}

QModelIndex GridTableWidget::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex cur = currentIndex();
    switch (action) {
    case MoveLeft:
    case MoveRight:
    case MoveHome:
    case MoveEnd: {
        if (!cur.isValid())
            break;
        if ((action == MoveHome || action == MoveEnd) && (modifiers & Qt::ControlModifier))
            break;
        int col;
        if (action == MoveLeft)
            col = view_->NextFocusableColumn(cur.column(), -1);
        else if (action == MoveRight)
            col = view_->NextFocusableColumn(cur.column(), 1);
        else if (action == MoveHome)
            col = view_->NextFocusableColumn(-1, 1);
        else
            col = view_->NextFocusableColumn(model()->columnCount(), -1);
        return col < 0 ? cur : model()->index(cur.row(), col);
    }
    default:
        break;
    }
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (next.isValid() && !view_->ColumnFocusable(next.column())) {
        int col = cur.isValid() && view_->ColumnFocusable(cur.column()) ? cur.column() : view_->NextFocusableColumn(-1, 1);
        if (col >= 0)
            next = model()->index(next.row(), col);
    }
    return next;
}

void GridTableWidget::focusInEvent(QFocusEvent* e)
{
    QTableView::focusInEvent(e);
    // Tabbed into, the grid shows its cell editor as a click on the cell would.
    if (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason)
        view_->ShowAlwaysEditor();
}

void GridTableWidget::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    view_->RelayoutColumns();
}

} // namespace platform
