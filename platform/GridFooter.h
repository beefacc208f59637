#pragma once
// The footer row under a table view: each footer summary's text painted under its column,
// following column widths and horizontal scrolling. Several summaries under one column stack.
#include <QWidget>

namespace platform {

class TableView;

class GridFooter : public QWidget {
    Q_OBJECT
public:
    GridFooter(TableView* view, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Texts as painted, for each summary: its column and its text.
    QString TextUnder(int itemIndex) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int Lines() const;

    TableView* view_;
};

} // namespace platform
