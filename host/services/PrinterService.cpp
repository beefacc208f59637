#include "host/services/PrinterService.h"

#include "host/services/TablePrinter.h"
#include "platform/Application.h"
#include "platform/core/Exception.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace host {

PrinterService::PrinterService(platform::TApplication* app) : app_(app) {}

platform::TApplication* PrinterService::App() const { return app_ ? app_ : platform::Application(); }

int PrinterService::RenderComponent(QWidget* component, const QString& unitCode, QPrinter& printer)
{
    if (QAbstractItemView* view = FindItemView(component)) {
        PrintTable table = CollectTable(view);
        // A grid shows its level's caption in a label above the rows: it names what is printed.
        QStringList sub;
        for (QLabel* label : component->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (label->isVisibleTo(component) && !label->text().trimmed().isEmpty())
                sub << label->text().trimmed();
        if (!unitCode.isEmpty())
            sub << QStringLiteral("单位：%1").arg(unitCode);
        table.subtitle = sub.join(QStringLiteral("    "));
        return lastPages_ = TablePrinter(std::move(table)).Render(printer);
    }
    // Nothing tabular inside: print the component's picture, scaled to the page width.
    QPainter painter;
    if (!painter.begin(&printer))
        return lastPages_ = 0;
    const QPixmap shot = component->grab();
    const QRectF page = printer.pageLayout().paintRectPixels(printer.logicalDpiX());
    const qreal scale = std::min(page.width() / std::max(1, shot.width()), page.height() / std::max(1, shot.height()));
    painter.drawPixmap(QRectF(0, 0, shot.width() * scale, shot.height() * scale), shot, QRectF(shot.rect()));
    painter.end();
    return lastPages_ = 1;
}

void PrinterService::PreviewComponent(QWidget* component, int, const QString& unitCode, const QString&)
{
    if (!component)
        throw platform::Exception(QStringLiteral("没有可打印的内容"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog dialog(&printer, component->window());
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    dialog.resize(900, 700);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&, component](QPrinter* p) { RenderComponent(component, unitCode, *p); });
    App()->ExecModal(dialog);
}

void PrinterService::PrintComponent(QWidget* component, int, const QString& unitCode, const QString&)
{
    if (!component)
        throw platform::Exception(QStringLiteral("没有可打印的内容"));
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        App()->MessageBox(QStringLiteral("没有安装打印机，无法打印。"), App()->Title(), platform::mbOK,
                          platform::MessageIcon::Warning);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, component->window());
    dialog.setWindowTitle(QStringLiteral("打印"));
    if (App()->ExecModal(dialog) != QDialog::Accepted)
        return;
    if (RenderComponent(component, unitCode, printer) == 0)
        throw platform::Exception(QStringLiteral("打印失败：无法打开打印机 %1").arg(printer.printerName()));
}

} // namespace host
