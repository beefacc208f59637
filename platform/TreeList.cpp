#include "platform/TreeList.h"

#include "platform/GridStyleSheet.h"
#include "platform/ImageList.h"
#include "platform/SlotGuard.h"
#include "platform/TreeListModel.h"

#include <algorithm>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

namespace platform {

TreeList::TreeList(QWidget* parent) : QWidget(parent), nodes_(std::make_unique<TreeListNodes>(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QTreeView(this);
    model_ = new TreeListModel(this);
    view_->setModel(model_);
    view_->setUniformRowHeights(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->header()->setStretchLastSection(false);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    layout->addWidget(view_);
    setFocusProxy(view_);

    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { OnCurrentChanged(); });
    connect(view_, &QTreeView::expanded, this, [this](const QModelIndex& i) {
        if (TreeListNode* n = model_->NodeOf(i); n && !syncing_)
            n->expanded_ = true;
    });
    connect(view_, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
        if (TreeListNode* n = model_->NodeOf(i); n && !syncing_)
            n->expanded_ = false;
    });
}

TreeList::~TreeList()
{
    // The view goes before the nodes its indexes point into. The filter watches the view and
    // its viewport, so it lets go of them first: deleting the view sends them events while
    // this object is no longer a whole TreeList.
    QTreeView* view = std::exchange(view_, nullptr);
    view->viewport()->removeEventFilter(this);
    view->removeEventFilter(this);
    delete view;
}

QModelIndex TreeList::IndexOf(const TreeListNode* node) const { return model_->IndexOf(node); }
TreeListNode* TreeList::NodeAt(const QModelIndex& index) const { return model_->NodeOf(index); }

// ---- columns -------------------------------------------------------------------------------

TreeListColumn* TreeList::CreateColumn(const QString& name)
{
    auto* c = new TreeListColumn(this, name);
    columns_.push_back(c);
    ColumnsChanged();
    return c;
}

TreeListColumn* TreeList::Column(int index) const
{
    return index >= 0 && index < columns_.size() ? columns_[index] : nullptr;
}

int TreeList::VisibleColumnCount() const
{
    return int(std::count_if(columns_.begin(), columns_.end(), [](const TreeListColumn* c) { return c->Visible(); }));
}

void TreeList::ColumnsChanged()
{
    if (!view_)
        return;
    if (model_->columnCount() != columns_.size()) {
        ++syncing_;
        if (!updating_)
            model_->ColumnsChanged();
        ApplyExpanded(nullptr);
        SyncCurrent();
        --syncing_;
    } else {
        emit model_->headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
    }
    ApplyLayout();
}

void TreeList::ApplyLayout()
{
    if (!view_)
        return;
    QHeaderView* header = view_->header();
    header->setVisible(headersVisible_);
    int lastVisible = -1;
    for (int i = 0; i < columns_.size(); ++i) {
        view_->setColumnHidden(i, !columns_[i]->Visible());
        if (columns_[i]->Visible())
            lastVisible = i;
    }
    for (int i = 0; i < columns_.size() && i < header->count(); ++i) {
        if (!columns_[i]->Visible())
            continue;
        if (columnAutoWidth_) {
            header->setSectionResizeMode(i, QHeaderView::Stretch);
        } else {
            header->setSectionResizeMode(i, QHeaderView::Interactive);
            header->resizeSection(i, std::max(columns_[i]->Width(), columns_[i]->MinWidth()));
        }
    }
    header->setStretchLastSection(columnAutoWidth_ && lastVisible >= 0);
    view_->setHorizontalScrollBarPolicy(columnAutoWidth_ ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

void TreeList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
}

// ---- nodes ---------------------------------------------------------------------------------

void TreeList::Clear()
{
    nodes_->Clear();
}

TreeList::UpdateScope TreeList::BeginUpdate()
{
    if (updating_++ == 0) {
        view_->setUpdatesEnabled(false);
        model_->BeginReset();
    }
    return UpdateScope(*this);
}

TreeList::UpdateScope::~UpdateScope() { tree_.EndUpdate(); }

void TreeList::EndUpdate()
{
    if (updating_ == 0)
        return;
    if (--updating_ == 0) {
        ++syncing_;
        model_->EndReset();
        if (model_->columnCount() != columns_.size())
            model_->ColumnsChanged();
        ApplyExpanded(nullptr);
        SyncCurrent();
        --syncing_;
        ApplyLayout();
        view_->setUpdatesEnabled(true);
    }
}

void TreeList::NodeAboutToBeAdded(TreeListNode* parent, int row)
{
    if (!updating_ && view_)
        model_->BeginInsert(parent, row);
}

void TreeList::NodeAdded(TreeListNode* node)
{
    if (!updating_ && view_)
        model_->EndInsert();
}

void TreeList::NodeChanged(TreeListNode* node)
{
    if (!updating_ && view_)
        model_->NodeChanged(node);
}

void TreeList::NodesAboutToBeRemoved(TreeListNode* parent, int first, int last, bool all)
{
    // The focused node may be among them; it is dropped before the nodes die.
    if (focused_) {
        bool inside = all;
        for (const TreeListNode* n = focused_; !inside && n; n = n->parent_)
            inside = n->parent_ == parent && n->index_ >= first && n->index_ <= last;
        if (inside) {
            TreeListNode* old = focused_;
            focused_ = nullptr;
            if (old)
                Guarded([&] { emit FocusedNodeChanged(old, nullptr); });
        }
    }
    if (updating_ || !view_)
        return;
    ++syncing_;
    if (all)
        model_->BeginReset();
    else
        model_->BeginRemove(parent, first, last);
}

void TreeList::NodesRemoved(bool all)
{
    if (updating_ || !view_)
        return;
    if (all)
        model_->EndReset();
    else
        model_->EndRemove();
    --syncing_;
}

void TreeList::NodeExpandChanged(TreeListNode* node, bool recursive)
{
    if (updating_ || !view_)
        return;
    ++syncing_;
    if (recursive)
        ApplyExpanded(node);
    else
        view_->setExpanded(model_->IndexOf(node), node->expanded_);
    --syncing_;
}

void TreeList::ApplyExpanded(TreeListNode* from)
{
    // Walks the subtree and tells the view which nodes are open.
    std::vector<TreeListNode*> todo;
    if (from)
        todo.push_back(from);
    else
        for (const auto& c : nodes_->Root()->children_)
            todo.push_back(c.get());
    while (!todo.empty()) {
        TreeListNode* n = todo.back();
        todo.pop_back();
        if (!n->children_.empty()) {
            view_->setExpanded(model_->IndexOf(n), n->expanded_);
            for (const auto& c : n->children_)
                todo.push_back(c.get());
        }
    }
}

void TreeList::FullExpand()
{
    for (int i = 0; i < nodes_->Count(); ++i) {
        TreeListNode* n = nodes_->Item(i);
        n->expanded_ = true;
        for (TreeListNode* c : n->Children())
            c->Expand(true);
    }
    if (!updating_) {
        ++syncing_;
        view_->expandAll();
        --syncing_;
    }
}

void TreeList::FullCollapse()
{
    std::vector<TreeListNode*> todo;
    for (const auto& c : nodes_->Root()->children_)
        todo.push_back(c.get());
    while (!todo.empty()) {
        TreeListNode* n = todo.back();
        todo.pop_back();
        n->expanded_ = false;
        for (const auto& c : n->children_)
            todo.push_back(c.get());
    }
    if (!updating_) {
        ++syncing_;
        view_->collapseAll();
        --syncing_;
    }
}

// ---- focus ---------------------------------------------------------------------------------

void TreeList::SetFocusedNode(TreeListNode* node)
{
    if (node && node->Tree() != this)
        return;
    TreeListNode* old = focused_;
    focused_ = node;
    if (!updating_) {
        ++syncing_;
        SyncCurrent();
        --syncing_;
    }
    if (old != node) {
        if (old)
            NodeChanged(old);
        if (node)
            NodeChanged(node);
        Guarded([&] { emit FocusedNodeChanged(old, node); });
    }
}

void TreeList::SyncCurrent()
{
    QItemSelectionModel* sel = view_->selectionModel();
    if (!focused_) {
        sel->clear();
        return;
    }
    const QModelIndex idx = model_->IndexOf(focused_);
    sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(idx);
}

void TreeList::OnCurrentChanged()
{
    if (syncing_ || updating_)
        return;
    TreeListNode* node = model_->NodeOf(view_->currentIndex());
    if (node == focused_)
        return;
    TreeListNode* old = focused_;
    focused_ = node;
    if (old)
        NodeChanged(old);
    if (node)
        NodeChanged(node);
    Guarded([&] { emit FocusedNodeChanged(old, node); });
}

// ---- options -------------------------------------------------------------------------------

void TreeList::SetHeadersVisible(bool on)
{
    headersVisible_ = on;
    ApplyLayout();
}

void TreeList::SetGridLines(GridLineKind kind)
{
    gridLines_ = kind;
    QString css;
    if (kind == GridLineKind::Horizontal || kind == GridLineKind::Both)
        css += QStringLiteral("border-bottom: 1px solid #d4d4d4;");
    if (kind == GridLineKind::Vertical || kind == GridLineKind::Both)
        css += QStringLiteral("border-right: 1px solid #d4d4d4;");
    // Item rules replace the style's own painting, so the selected look is given with them.
    view_->setStyleSheet(css.isEmpty() ? QString()
                                       : QStringLiteral("QTreeView::item { %1 }"
                                                        " QTreeView::item:selected { background: palette(highlight);"
                                                        " color: palette(highlighted-text); }")
                                             .arg(css));
}

void TreeList::SetRowSelect(bool on)
{
    rowSelect_ = on;
    view_->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    view_->setAllColumnsShowFocus(on);
}

void TreeList::SetColumnAutoWidth(bool on)
{
    columnAutoWidth_ = on;
    ApplyLayout();
}

void TreeList::SetImages(const ImageList* images)
{
    images_ = images;
    if (images)
        view_->setIconSize(QSize(images->Width(), images->Height()));
    view_->viewport()->update();
}

void TreeList::SetStateImages(const ImageList* images)
{
    stateImages_ = images;
    if (images && images_)
        view_->setIconSize(QSize(images->Width() + 2 + images_->Width(), std::max(images->Height(), images_->Height())));
    view_->viewport()->update();
}

void TreeList::SetStyleSheet(const GridStyleSheet* sheet)
{
    sheet_ = sheet;
    if (sheet) {
        ApplyViewStyles(view_, font(), sheet->Style(GridStyleSheet::Content), sheet->Style(GridStyleSheet::Selection),
                        sheet->Style(GridStyleSheet::Inactive));
    }
}

// ---- events --------------------------------------------------------------------------------

bool TreeList::eventFilter(QObject* watched, QEvent* event)
{
    if (!view_)
        return false;
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        int key = ke->key();
        const bool aborted = !GuardedFinished([&] { emit KeyDown(key, ke->modifiers()); });
        if (key == 0 || aborted)
            return true;
    } else if (watched == view_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Guarded([&] { emit DblClick(); });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace platform
