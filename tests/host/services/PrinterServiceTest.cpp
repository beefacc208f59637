// The printer service prints what a grid shows, through dialogs run by the application object.
#include "host/services/PrinterService.h"
#include "tests/support/ScriptedApplication.h"

#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

using plugin::IntfPtr;

struct Grid {
    QWidget widget;
    QTableView* view;
    explicit Grid(int rows)
    {
        widget.setWindowTitle(QStringLiteral("调拨单"));
        view = new QTableView(&widget);
        (new QVBoxLayout(&widget))->addWidget(view);
        auto* m = new QStandardItemModel(rows, 2, view);
        m->setHorizontalHeaderLabels({QStringLiteral("订单号"), QStringLiteral("备注")});
        for (int r = 0; r < rows; ++r)
            m->setItem(r, 0, new QStandardItem(QStringLiteral("DB-%1").arg(r)));
        view->setModel(m);
    }
};

TEST(PrinterService, PreviewRunsADialogTitledPrintPreviewThatRendersTheGrid)
{
    testsupport::ScriptedApplication app;
    Grid grid(120);
    IntfPtr<host::PrinterService> printer(new host::PrinterService(&app));

    int pagesSeen = -1;
    app.QueueDialog([&](QDialog& d) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&d);
        ASSERT_NE(preview, nullptr);
        // The preview has asked for its pages by the time it is on screen.
        pagesSeen = printer->LastPageCount();
        d.reject();
    });
    printer->PreviewComponent(&grid.widget, 0, QStringLiteral("0001"), QStringLiteral("FormName"));

    ASSERT_EQ(app.Dialogs().size(), 1);
    EXPECT_EQ(app.Dialogs()[0].title, QStringLiteral("打印预览"));
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
    EXPECT_GE(pagesSeen, 2) << "120 rows fill more than one A4 page";
}

TEST(PrinterService, PrintWithoutPrintersSaysSoAndShowsNoDialog)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has printers";
    testsupport::ScriptedApplication app;
    Grid grid(3);
    IntfPtr<host::PrinterService> printer(new host::PrinterService(&app));
    printer->PrintComponent(&grid.widget, 0, QString(), QStringLiteral("FormName"));
    EXPECT_TRUE(app.Dialogs().isEmpty());
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(printer->LastPageCount(), 0);
}

} // namespace
