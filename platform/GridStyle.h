#pragma once
// One look of a grid part: font, background and text colour, each with a "set" flag so that a
// style painted over another replaces only what it sets. Plain data and header-only: the host
// builds the shared styles, the module paints with them across the library boundary.
#include <QColor>
#include <QFont>

namespace platform {

class GridStyle {
public:
    enum AssignedValue : int { svFont = 0x1, svColor = 0x2, svTextColor = 0x4, svFontColor = 0x8 };

    GridStyle() = default;

    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font) { font_ = font; assigned_ |= svFont; }
    // Bold on or off without touching the other font attributes.
    void SetBold(bool bold)
    {
        font_.setBold(bold);
        assigned_ |= svFont;
    }
    // The font's own colour; it travels with the font when a rule copies only the font.
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& c) { fontColor_ = c; assigned_ |= svFontColor; }
    // Background colour.
    QColor Color() const { return color_; }
    void SetColor(const QColor& c) { color_ = c; assigned_ |= svColor; }
    QColor TextColor() const { return textColor_; }
    void SetTextColor(const QColor& c) { textColor_ = c; assigned_ |= svTextColor; }

    int AssignedValues() const { return assigned_; }
    bool IsAssigned(AssignedValue v) const { return (assigned_ & v) != 0; }
    void Unassign(AssignedValue v) { assigned_ &= ~int(v); }

    // Copies the font: family, style, size, character set and font colour; nothing else.
    void AssignFont(const GridStyle& other)
    {
        if (other.IsAssigned(svFont))
            SetFont(other.font_);
        if (other.IsAssigned(svFontColor))
            SetFontColor(other.fontColor_);
    }

    // The colour text is drawn in: the text colour, else the font colour, else invalid.
    QColor EffectiveTextColor() const
    {
        if (IsAssigned(svTextColor))
            return textColor_;
        if (IsAssigned(svFontColor))
            return fontColor_;
        return {};
    }

    // Paints this style over base: what is set here replaces base's; font attributes merge
    // (a style that only sets bold keeps base's family and size).
    void MergeOnto(GridStyle& base) const
    {
        if (IsAssigned(svFont))
            base.SetFont(base.IsAssigned(svFont) ? font_.resolve(base.font_) : font_);
        if (IsAssigned(svFontColor))
            base.SetFontColor(fontColor_);
        if (IsAssigned(svColor))
            base.SetColor(color_);
        if (IsAssigned(svTextColor))
            base.SetTextColor(textColor_);
    }

private:
    QFont font_;
    QColor fontColor_;
    QColor color_;
    QColor textColor_;
    int assigned_ = 0;
};

} // namespace platform
