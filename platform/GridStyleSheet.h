#pragma once
// A style sheet: named styles for the parts of a grid or tree list (content, even and odd rows,
// header, footer, selection, ...). Header-only plain data, see GridStyle. Style pointers stay
// valid while the sheet lives (node-based storage).
#include "platform/GridStyle.h"

#include <QString>
#include <QStringList>
#include <map>

class QWidget;

namespace platform {

class GridStyleSheet {
public:
    // The parts views know by name.
    enum StyleName : int {
        Background,
        Content,
        ContentEven,
        ContentOdd,
        Footer,
        Header,
        Inactive,
        Selection,
        GroupByBox,
        Indicator,
    };

    static QString NameOf(StyleName n)
    {
        switch (n) {
        case Background: return QStringLiteral("background");
        case Content: return QStringLiteral("content");
        case ContentEven: return QStringLiteral("contenteven");
        case ContentOdd: return QStringLiteral("contentodd");
        case Footer: return QStringLiteral("footer");
        case Header: return QStringLiteral("header");
        case Inactive: return QStringLiteral("inactive");
        case Selection: return QStringLiteral("selection");
        case GroupByBox: return QStringLiteral("groupbybox");
        case Indicator: return QStringLiteral("indicator");
        }
        return {};
    }

    GridStyleSheet() = default;
    explicit GridStyleSheet(QString caption) : caption_(std::move(caption)) {}

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }

    // nullptr when the sheet has no such style. Names ignore case.
    GridStyle* Style(const QString& name)
    {
        auto it = styles_.find(name.toLower());
        return it == styles_.end() ? nullptr : &it->second;
    }
    const GridStyle* Style(const QString& name) const
    {
        auto it = styles_.find(name.toLower());
        return it == styles_.end() ? nullptr : &it->second;
    }
    GridStyle* Style(StyleName n) { return Style(NameOf(n)); }
    const GridStyle* Style(StyleName n) const { return Style(NameOf(n)); }

    // The style of that name, created empty when absent.
    GridStyle& AddStyle(const QString& name) { return styles_[name.toLower()]; }
    GridStyle& AddStyle(StyleName n) { return AddStyle(NameOf(n)); }
    void RemoveStyle(const QString& name) { styles_.erase(name.toLower()); }
    QStringList StyleNames() const
    {
        QStringList names;
        for (const auto& [k, v] : styles_)
            names << k;
        return names;
    }
    int StyleCount() const { return int(styles_.size()); }

private:
    QString caption_;
    std::map<QString, GridStyle> styles_;
};

// Sets a grid or tree view's palette, and its font from `baseFont`, from the content, selection
// and inactive-selection styles; a style not given, or a value it does not assign, leaves the
// view's own.
void ApplyViewStyles(QWidget* view, const QFont& baseFont, const GridStyle* content, const GridStyle* selection,
                     const GridStyle* inactive);

} // namespace platform
