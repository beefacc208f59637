#pragma once
// The host's shared grid styles: four style sheets, 0 table views, 1 tree lists, 2 banded table
// views, 3 vertical grids. Header-only plain data: the host creates the repository, the module
// hands its sheets to views, and nothing needs a cast across the library boundary.
#include "platform/GridStyleSheet.h"

#include <array>

namespace platform {

class StyleRepository {
public:
    enum Sheet : int { TableViewSheet = 0, TreeListSheet = 1, BandedTableViewSheet = 2, VerticalGridSheet = 3 };
    static constexpr int SheetCount = 4;

    // Every sheet starts with the default look; a host may change or clear it.
    StyleRepository()
    {
        static const char* captions[SheetCount] = {"TableView", "TreeList", "BandedTableView", "VerticalGrid"};
        for (int i = 0; i < SheetCount; ++i) {
            sheets_[i].SetCaption(QString::fromLatin1(captions[i]));
            ApplyDefaultLook(sheets_[i]);
        }
    }
    StyleRepository(const StyleRepository&) = delete;
    StyleRepository& operator=(const StyleRepository&) = delete;

    int StyleSheetCount() const { return SheetCount; }
    // nullptr outside 0..3.
    GridStyleSheet* StyleSheet(int index) { return index >= 0 && index < SheetCount ? &sheets_[index] : nullptr; }
    const GridStyleSheet* StyleSheet(int index) const
    {
        return index >= 0 && index < SheetCount ? &sheets_[index] : nullptr;
    }

    // A plain, readable look: white and pale blue rows, grey header and footer, blue selection.
    static void ApplyDefaultLook(GridStyleSheet& sheet)
    {
        const auto add = [&sheet](GridStyleSheet::StyleName element, QRgb color, QColor text = {}) {
            GridStyle& style = sheet.AddStyle(element);
            style.SetColor(QColor(color));
            if (text.isValid())
                style.SetTextColor(text);
        };
        add(GridStyleSheet::Content, 0xFFFFFF);
        add(GridStyleSheet::ContentEven, 0xFFFFFF);
        add(GridStyleSheet::ContentOdd, 0xF2F6FC);
        add(GridStyleSheet::Header, 0xE4E8EE, QColor(QRgb(0x202020)));
        add(GridStyleSheet::Footer, 0xEEEEEE, QColor(QRgb(0x000000)));
        add(GridStyleSheet::Selection, 0x316AC5, QColor(QRgb(0xFFFFFF)));
        add(GridStyleSheet::Inactive, 0xC8D4E6, QColor(QRgb(0x000000)));
        add(GridStyleSheet::Background, 0xFFFFFF);
    }

private:
    std::array<GridStyleSheet, SheetCount> sheets_;
};

} // namespace platform
