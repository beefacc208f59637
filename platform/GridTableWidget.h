#pragma once
// The QTableView a table view paints with: keeps the cell cursor off columns that cannot take
// the focus, reports clicks and double clicks by record and column, and hands keys to the view.
#include <QPersistentModelIndex>
#include <QTableView>

namespace platform {

class TableView;

class GridTableWidget : public QTableView {
    Q_OBJECT
public:
    GridTableWidget(TableView* view, QWidget* parent);
    // Moves the focus to the next (or previous) control after the grid.
    void LeaveGrid(bool next) { QAbstractScrollArea::focusNextPrevChild(next); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void resizeEvent(QResizeEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    TableView* view_;
    QPersistentModelIndex pressed_;
};

} // namespace platform
