#pragma once
// A column of a table view: caption, the field it shows, visibility, focus and editing options,
// width, header alignment, editor properties and the content-style handler. Its objectName is
// its given name (colBillNo). Index() is its position in the view, which is also the item index
// the data controller reads values by.
#include "platform/ColumnProperties.h"

#include <QObject>
#include <QString>
#include <functional>

namespace platform {

class GridStyle;
class TableView;

class GridColumn : public QObject {
    Q_OBJECT
public:
    // Asked for each cell of the column as it is painted; the handler may hand back a style it
    // owns (it must stay valid while the grid may paint with it). style starts as nullptr.
    using ContentStyleHandler = std::function<void(TableView* view, int recordIndex, GridStyle*& style)>;

    GridColumn(TableView* view, const QString& name = {});

    TableView* View() const { return view_; }
    int Index() const;

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // The dataset field shown (compared ignoring case).
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name);

    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    // Options.Focusing: whether the cell cursor may stop in this column.
    bool Focusing() const { return focusing_; }
    void SetFocusing(bool on);
    // Options.Editing: whether the user may edit cells of this column.
    bool Editing() const { return editing_; }
    void SetEditing(bool on);
    // Editable in fact: the column, its properties and the view allow it.
    bool IsEditable() const;

    int Width() const { return width_; }
    void SetWidth(int w);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int w);
    Qt::Alignment HeaderAlignment() const { return headerAlignment_; }
    void SetHeaderAlignment(Qt::Alignment a);
    Qt::Alignment FooterAlignment() const { return footerAlignment_; }
    void SetFooterAlignment(Qt::Alignment a);
    // Alignment of cell text; numbers right, other values left unless set.
    Qt::Alignment ContentAlignment() const { return contentAlignment_; }
    void SetContentAlignment(Qt::Alignment a);
    // Equal neighbouring cells show their text once.
    bool CellMerging() const { return cellMerging_; }
    void SetCellMerging(bool on);

    ColumnProperties& Properties() { return properties_; }
    const ColumnProperties& Properties() const { return properties_; }

    // The band of a banded view (-1 for none).
    int BandIndex() const { return bandIndex_; }
    void SetBandIndex(int band);

    ContentStyleHandler OnGetContentStyle;

    // Called by the properties and setters: the view repaints or relayouts.
    void Changed(bool layout = false);

private:
    TableView* view_;
    QString caption_;
    QString fieldName_;
    bool visible_ = true;
    bool focusing_ = true;
    bool editing_ = true;
    int width_ = 64;
    int minWidth_ = 20;
    Qt::Alignment headerAlignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::Alignment footerAlignment_ = Qt::AlignRight | Qt::AlignVCenter;
    Qt::Alignment contentAlignment_ = {};
    bool cellMerging_ = false;
    int bandIndex_ = -1;
    ColumnProperties properties_;
};

} // namespace platform
