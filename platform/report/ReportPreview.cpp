#include "platform/report/ReportPreview.h"

#include "platform/Application.h"
#include "platform/SlotGuard.h"
#include "platform/report/BandReport.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace platform::report {

namespace {

void SavePdf(BandReport& report)
{
    FileDialogOptions options;
    options.title = QStringLiteral("保存为PDF");
    options.filter = QStringLiteral("PDF文件(*.pdf)|*.pdf");
    options.defaultExt = QStringLiteral("pdf");
    if (!Application()->ExecSaveDialog(options))
        return;
    QString name = options.fileName;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QStringLiteral(".pdf");
    WritePdf(report, name);
}

} // namespace

void ShowPreview(BandReport& report, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* target) { Guarded([&] { report.Render(*target); }); });
    auto* save = new QAction(QStringLiteral("保存为PDF"), &dialog);
    save->setObjectName(QStringLiteral("actSavePdf"));
    save->setToolTip(QStringLiteral("保存为PDF"));
    QObject::connect(save, &QAction::triggered, &dialog, [&report] { Guarded([&] { SavePdf(report); }); });
    if (auto* bar = dialog.findChild<QToolBar*>())
        bar->addAction(save);
    else
        dialog.addAction(save);
    Application()->ExecModal(dialog);
}

} // namespace platform::report
