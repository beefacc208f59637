// The wait hint, the save notices and the shared styles of the host window.
#include "host/services/HostLook.h"
#include "host/services/MainService.h"
#include "platform/StyleRepository.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace {

using plugin::IntfPtr;

// Counts paint events of the wait hint, wherever it is created.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o->objectName() == QLatin1String("WaitHint"))
            ++paints;
        return false;
    }
};

TEST(MainService, WaitHintPaintsAtOnceCentredOnTheHostWindowAndHides)
{
    QMainWindow host;
    host.setGeometry(100, 100, 800, 600);
    host.show();
    IntfPtr<host::MainService> ui(new host::MainService(nullptr, &host));
    PaintCounter counter;
    qApp->installEventFilter(&counter);

    ui->ShowProgress(QStringLiteral("正在读取数据，请稍候..."));
    qApp->removeEventFilter(&counter);

    QLabel* hint = ui->WaitHint();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->isWindow());
    EXPECT_TRUE(hint->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(hint->text(), QStringLiteral("正在读取数据，请稍候..."));
    EXPECT_GE(counter.paints, 1) << "the hint must paint before ShowProgress returns";
    EXPECT_LE((hint->frameGeometry().center() - host.frameGeometry().center()).manhattanLength(), 4);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);

    // A second hint re-texts the same window; one hide ends it, a second hide is harmless.
    ui->ShowProgress(QStringLiteral("正在设置Excel公式..."));
    EXPECT_EQ(ui->WaitHint(), hint);
    EXPECT_EQ(hint->text(), QStringLiteral("正在设置Excel公式..."));
    ui->HideProgress();
    EXPECT_FALSE(hint->isVisible());
    EXPECT_FALSE(ui->ProgressVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui->HideProgress();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MainService, SaveNoticesGoToTheStatusBar)
{
    QMainWindow host;
    IntfPtr<host::MainService> ui(new host::MainService(nullptr, &host));
    ui->NotifySaved();
    EXPECT_EQ(host.statusBar()->currentMessage(), QStringLiteral("数据保存成功"));
    ui->NotifySaveFailed();
    EXPECT_EQ(host.statusBar()->currentMessage(), QStringLiteral("数据保存失败"));
    EXPECT_EQ(ui->LastNotice(), QStringLiteral("数据保存失败"));
}

TEST(MainService, HandsOutTheHostsRepositoryWithFourStyledSheets)
{
    platform::StyleRepository styles;
    host::ApplyHostLook(styles);
    IntfPtr<host::MainService> ui(new host::MainService(&styles));
    ASSERT_EQ(ui->StyleRepository(), &styles);
    using S = platform::GridStyleSheet;
    for (int i = 0; i < 4; ++i) {
        const S* sheet = ui->StyleRepository()->StyleSheet(i);
        ASSERT_NE(sheet, nullptr) << i;
        // Banded rows, and selected text that stays readable.
        EXPECT_NE(sheet->Style(S::ContentOdd)->Color(), sheet->Style(S::ContentEven)->Color()) << i;
        EXPECT_NE(sheet->Style(S::Selection)->Color(), sheet->Style(S::Selection)->TextColor()) << i;
        EXPECT_NE(sheet->Style(S::Header)->Color(), sheet->Style(S::Header)->TextColor()) << i;
    }
    EXPECT_TRUE(styles.StyleSheet(2)->Style(S::Header)->Font().bold());
}

TEST(HostLook, ChineseFormsRender)
{
    const QString family = host::InstallChineseFonts();
    ASSERT_FALSE(family.isEmpty()) << "no CJK font is installed";
    // Forms ask for 宋体: it must resolve to a font that has the glyphs.
    const QFontMetrics fm(QFont(QStringLiteral("宋体"), 9));
    for (QChar c : QStringLiteral("调拨单审核"))
        EXPECT_TRUE(fm.inFont(c)) << int(c.unicode());
    EXPECT_TRUE(QFontMetrics(QApplication::font()).inFont(QChar(0x8C03)));
}

} // namespace
