#include "platform/GridColumn.h"

#include "platform/TableView.h"

namespace platform {

GridColumn::GridColumn(TableView* view, const QString& name) : QObject(view), view_(view), properties_(this)
{
    if (!name.isEmpty())
        setObjectName(name);
}

int GridColumn::Index() const
{
    for (int i = 0; i < view_->ColumnCount(); ++i)
        if (view_->Column(i) == this)
            return i;
    return -1;
}

void GridColumn::Changed(bool layout)
{
    if (view_)
        view_->ColumnChanged(this, layout);
}

void GridColumn::SetCaption(const QString& caption)
{
    caption_ = caption;
    Changed(true);
}

void GridColumn::SetFieldName(const QString& name)
{
    fieldName_ = name;
    Changed();
}

void GridColumn::SetVisible(bool on)
{
    visible_ = on;
    Changed(true);
}

void GridColumn::SetFocusing(bool on)
{
    focusing_ = on;
    Changed();
}

void GridColumn::SetEditing(bool on)
{
    editing_ = on;
    Changed();
}

bool GridColumn::IsEditable() const
{
    return editing_ && !properties_.ReadOnly() && properties_.Kind() != EditorKind::Label && view_ && view_->Editing();
}

void GridColumn::SetWidth(int w)
{
    width_ = std::max(0, w);
    Changed(true);
}

void GridColumn::SetMinWidth(int w)
{
    minWidth_ = std::max(0, w);
    Changed(true);
}

void GridColumn::SetHeaderAlignment(Qt::Alignment a)
{
    headerAlignment_ = a;
    Changed(true);
}

void GridColumn::SetFooterAlignment(Qt::Alignment a)
{
    footerAlignment_ = a;
    Changed();
}

void GridColumn::SetContentAlignment(Qt::Alignment a)
{
    contentAlignment_ = a;
    Changed();
}

void GridColumn::SetCellMerging(bool on)
{
    cellMerging_ = on;
    Changed();
}

void GridColumn::SetBandIndex(int band)
{
    bandIndex_ = band;
    Changed(true);
}

} // namespace platform
