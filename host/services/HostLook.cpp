#include "host/services/HostLook.h"

#include "platform/StyleRepository.h"

#include <QApplication>
#include <QFontDatabase>

namespace host {

QString ChineseFamily()
{
    const QStringList families = QFontDatabase::families();
    for (const char* f : {"宋体", "SimSun", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC",
                          "Noto Serif CJK SC", "AR PL UMing CN"}) {
        const QString name = QString::fromUtf8(f);
        if (families.contains(name, Qt::CaseInsensitive))
            return name;
    }
    return {};
}

QString InstallChineseFonts(int pointSize)
{
    const QString family = ChineseFamily();
    const QString song = QStringLiteral("宋体");
    const QString simsun = QStringLiteral("SimSun");
    if (!family.isEmpty() && family != song && family != simsun) {
        const QStringList fallbacks{family, QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")};
        QFont::insertSubstitutions(song, fallbacks);
        QFont::insertSubstitutions(simsun, fallbacks);
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QFont f(family.isEmpty() ? song : family, pointSize);
        QApplication::setFont(f);
    }
    return family;
}

void ApplyHostLook(platform::StyleRepository& styles)
{
    using Sheet = platform::GridStyleSheet;
    const QColor headerBack(0xDD, 0xE6, 0xF1);
    const QColor headerText(0x1F, 0x2D, 0x3D);
    const QColor oddBack(0xF4, 0xF8, 0xFC);
    const QColor footerBack(0xEC, 0xF0, 0xF5);
    const QColor selectBack(0x2F, 0x6F, 0xB7);
    const QColor inactiveBack(0xC9, 0xD9, 0xEC);
    for (int i = 0; i < styles.StyleSheetCount(); ++i) {
        Sheet* sheet = styles.StyleSheet(i);
        if (!sheet)
            continue;
        sheet->AddStyle(Sheet::Background).SetColor(Qt::white);
        sheet->AddStyle(Sheet::Content).SetColor(Qt::white);
        sheet->AddStyle(Sheet::ContentEven).SetColor(Qt::white);
        sheet->AddStyle(Sheet::ContentOdd).SetColor(oddBack);
        auto& header = sheet->AddStyle(Sheet::Header);
        header.SetColor(headerBack);
        header.SetTextColor(headerText);
        auto& footer = sheet->AddStyle(Sheet::Footer);
        footer.SetColor(footerBack);
        footer.SetTextColor(headerText);
        auto& selection = sheet->AddStyle(Sheet::Selection);
        selection.SetColor(selectBack);
        selection.SetTextColor(Qt::white);
        auto& inactive = sheet->AddStyle(Sheet::Inactive);
        inactive.SetColor(inactiveBack);
        inactive.SetTextColor(Qt::black);
        sheet->AddStyle(Sheet::GroupByBox).SetColor(footerBack);
        sheet->AddStyle(Sheet::Indicator).SetColor(headerBack);
    }
    // Banded views carry band captions in the header: bold keeps them apart from the rows.
    if (Sheet* banded = styles.StyleSheet(platform::StyleRepository::BandedTableViewSheet))
        banded->AddStyle(Sheet::Header).SetBold(true);
    // Vertical grids show captions in the header column: a lighter tint reads better there.
    if (Sheet* vertical = styles.StyleSheet(platform::StyleRepository::VerticalGridSheet))
        vertical->AddStyle(Sheet::Header).SetColor(QColor(0xE9, 0xEF, 0xF6));
}

} // namespace host
