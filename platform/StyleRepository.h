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
        sheet.AddStyle(GridStyleSheet::Content).SetColor(QColor(0xFF, 0xFF, 0xFF));
        sheet.AddStyle(GridStyleSheet::ContentEven).SetColor(QColor(0xFF, 0xFF, 0xFF));
        sheet.AddStyle(GridStyleSheet::ContentOdd).SetColor(QColor(0xF2, 0xF6, 0xFC));
        GridStyle& header = sheet.AddStyle(GridStyleSheet::Header);
        header.SetColor(QColor(0xE4, 0xE8, 0xEE));
        header.SetTextColor(QColor(0x20, 0x20, 0x20));
        GridStyle& footer = sheet.AddStyle(GridStyleSheet::Footer);
        footer.SetColor(QColor(0xEE, 0xEE, 0xEE));
        footer.SetTextColor(QColor(0x00, 0x00, 0x00));
        GridStyle& selection = sheet.AddStyle(GridStyleSheet::Selection);
        selection.SetColor(QColor(0x31, 0x6A, 0xC5));
        selection.SetTextColor(QColor(0xFF, 0xFF, 0xFF));
        GridStyle& inactive = sheet.AddStyle(GridStyleSheet::Inactive);
        inactive.SetColor(QColor(0xC8, 0xD4, 0xE6));
        inactive.SetTextColor(QColor(0x00, 0x00, 0x00));
        sheet.AddStyle(GridStyleSheet::Background).SetColor(QColor(0xFF, 0xFF, 0xFF));
    }

private:
    std::array<GridStyleSheet, SheetCount> sheets_;
};

} // namespace platform
