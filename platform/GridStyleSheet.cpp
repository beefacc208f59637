#include "platform/GridStyleSheet.h"

#include <QWidget>

namespace platform {

void ApplyViewStyles(QWidget* view, const QFont& baseFont, const GridStyle* content, const GridStyle* selection,
                     const GridStyle* inactive)
{
    QPalette pal = view->palette();
    if (content) {
        if (content->IsAssigned(GridStyle::svColor))
            pal.setColor(QPalette::Base, content->Color());
        const QColor text = content->EffectiveTextColor();
        if (text.isValid())
            pal.setColor(QPalette::Text, text);
        if (content->IsAssigned(GridStyle::svFont))
            view->setFont(content->Font().resolve(baseFont));
    }
    if (selection) {
        if (selection->IsAssigned(GridStyle::svColor)) {
            pal.setColor(QPalette::Active, QPalette::Highlight, selection->Color());
            pal.setColor(QPalette::Inactive, QPalette::Highlight, selection->Color());
        }
        const QColor text = selection->EffectiveTextColor();
        if (text.isValid()) {
            pal.setColor(QPalette::Active, QPalette::HighlightedText, text);
            pal.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
        }
    }
    if (inactive) {
        if (inactive->IsAssigned(GridStyle::svColor))
            pal.setColor(QPalette::Inactive, QPalette::Highlight, inactive->Color());
        const QColor text = inactive->EffectiveTextColor();
        if (text.isValid())
            pal.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    }
    view->setPalette(pal);
}

} // namespace platform
