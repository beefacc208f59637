#pragma once
// A tree list: a widget over a QTreeView with its own node model. Columns (hidden ones hold
// values too), nodes with children, the absolute list of nodes, focus, expand and collapse,
// node images from an image list, a style sheet (the host's sheet 1). The scope BeginUpdate
// returns brackets bulk changes: the view is told once at its end. Exact class identity:
// IsExactly<TreeList>.
#include "platform/ImageList.h"
#include "platform/TreeListColumn.h"
#include "platform/TreeListNode.h"
#include "platform/TreeListNodes.h"

#include <QPointer>
#include <QVector>
#include <QWidget>
#include <memory>

class QTreeView;

namespace platform {

class GridStyleSheet;
class TreeListModel;

class TreeList : public QWidget {
    Q_OBJECT
public:
    enum class GridLineKind { None, Horizontal, Vertical, Both };

    explicit TreeList(QWidget* parent = nullptr);
    ~TreeList() override;

    TreeListColumn* CreateColumn(const QString& name = {});
    int ColumnCount() const { return int(columns_.size()); }
    TreeListColumn* Column(int index) const; // nullptr outside
    int VisibleColumnCount() const;

    TreeListNodes& Nodes() { return *nodes_; }
    const TreeListNodes& Nodes() const { return *nodes_; }
    int Count() const { return nodes_->Count(); }
    int AbsoluteCount() const { return nodes_->AbsoluteCount(); }
    TreeListNode* AbsoluteItem(int index) const { return nodes_->AbsoluteItem(index); }
    TreeListNode* TopNode() const { return nodes_->TopNode(); }
    TreeListNode* AddRoot() { return nodes_->AddRoot(); }
    TreeListNode* AddChild(TreeListNode* parent) { return nodes_->AddChild(parent); }
    TreeListNode* FindNodeByText(int column, const QString& text) const { return nodes_->FindNodeByText(column, text); }
    void Clear();

    // Bulk changes: the view is told once, when the returned scope ends, on every way out.
    // Scopes nest; the outermost one tells the view.
    class [[nodiscard]] UpdateScope {
    public:
        ~UpdateScope();
        UpdateScope(const UpdateScope&) = delete;
        UpdateScope& operator=(const UpdateScope&) = delete;

    private:
        friend class TreeList;
        explicit UpdateScope(TreeList& tree) : tree_(tree) {}
        TreeList& tree_;
    };
    UpdateScope BeginUpdate();
    bool IsUpdating() const { return updating_ > 0; }

    TreeListNode* FocusedNode() const { return focused_; }
    void SetFocusedNode(TreeListNode* node); // nullptr clears
    void FullExpand();
    void FullCollapse();

    // OptionsView / OptionsSelection
    void SetHeadersVisible(bool on);
    bool HeadersVisible() const { return headersVisible_; }
    void SetGridLines(GridLineKind kind);
    GridLineKind GridLines() const { return gridLines_; }
    void SetRowSelect(bool on);
    bool RowSelect() const { return rowSelect_; }
    void SetColumnAutoWidth(bool on);
    bool ColumnAutoWidth() const { return columnAutoWidth_; }

    void SetImages(const ImageList* images);
    const ImageList* Images() const { return images_; }
    void SetStateImages(const ImageList* images);
    const ImageList* StateImages() const { return stateImages_; }
    void SetStyleSheet(const GridStyleSheet* sheet); // not owned
    const GridStyleSheet* StyleSheet() const { return sheet_; }

    QTreeView* Tree() const { return view_; }

    // Internal: called by nodes, the node collection and columns.
    void NodeChanged(TreeListNode* node);
    void NodeAboutToBeAdded(TreeListNode* parent, int row);
    void NodeAdded(TreeListNode* node);
    void NodeExpandChanged(TreeListNode* node, bool recursive);
    void NodesAboutToBeRemoved(TreeListNode* parent, int first, int last, bool all);
    void NodesRemoved(bool all);
    void ColumnsChanged();
    // The model index of a node (column 0), invalid for nullptr.
    QModelIndex IndexOf(const TreeListNode* node) const;
    TreeListNode* NodeAt(const QModelIndex& index) const;

signals:
    void DblClick();
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    void FocusedNodeChanged(platform::TreeListNode* previous, platform::TreeListNode* focused);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TreeListModel;
    void EndUpdate();
    void ApplyLayout();
    void ApplyExpanded(TreeListNode* node);
    void SyncCurrent();
    void OnCurrentChanged();

    std::unique_ptr<TreeListNodes> nodes_;
    QVector<TreeListColumn*> columns_;
    QTreeView* view_ = nullptr;
    TreeListModel* model_ = nullptr;
    TreeListNode* focused_ = nullptr;
    QPointer<const ImageList> images_;
    QPointer<const ImageList> stateImages_;
    const GridStyleSheet* sheet_ = nullptr;
    int updating_ = 0;
    int syncing_ = 0;
    bool headersVisible_ = true;
    GridLineKind gridLines_ = GridLineKind::None;
    bool rowSelect_ = false;
    bool columnAutoWidth_ = false;
};

} // namespace platform
