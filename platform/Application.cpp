#include "platform/Application.h"

#include "platform/SlotGuard.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>

namespace platform {

namespace {

TApplication* g_application = nullptr;
TScreen* g_screen = nullptr;

} // namespace

TApplication* OwnApplication()
{
    static QtApplication own;
    return &own;
}

TScreen* OwnScreen()
{
    static QtScreen own;
    return &own;
}

TApplication* Application() { return g_application ? g_application : OwnApplication(); }
TScreen* Screen() { return g_screen ? g_screen : OwnScreen(); }
void SetApplication(TApplication* app) { g_application = app; }
void SetScreen(TScreen* screen) { g_screen = screen; }

void ReportException(const std::exception& e) { Application()->HandleException(e); }

void ReportUnknownException()
{
    ReportException(Exception(QStringLiteral("Unknown error")));
}

QString QtFileFilter(const QString& delphiFilter)
{
    const QStringList parts = delphiFilter.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

int QtApplication::MessageBox(const QString& text, const QString& caption, int buttons, MessageIcon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    struct Map { int ours; QMessageBox::StandardButton qt; const char* text; };
    static const Map map[] = {{mbOK, QMessageBox::Ok, "确定"},
                              {mbYes, QMessageBox::Yes, "是(&Y)"},
                              {mbNo, QMessageBox::No, "否(&N)"},
                              {mbCancel, QMessageBox::Cancel, "取消"}};
    if (buttons == mbNone)
        buttons = mbOK;
    for (const Map& m : map) {
        if (buttons & m.ours) {
            QAbstractButton* b = box.addButton(m.qt);
            b->setText(QString::fromUtf8(m.text));
        }
    }
    box.setEscapeButton(nullptr);
    if (buttons & mbCancel)
        box.setEscapeButton(box.button(QMessageBox::Cancel));
    else if (buttons & mbNo)
        box.setEscapeButton(box.button(QMessageBox::No));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const Map& m : map)
        if (clicked && clicked == box.button(m.qt))
            return m.ours;
    return mbCancel;
}

void QtApplication::ShowMessage(const QString& text)
{
    MessageBox(text, Title(), mbOK, MessageIcon::None);
}

int QtApplication::ExecModal(QDialog& dialog) { return dialog.exec(); }

namespace {

bool RunFileDialog(FileDialogOptions& o, bool save)
{
    QFileDialog dlg(QApplication::activeWindow(), o.title);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtFileFilter(o.filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.value(std::max(0, o.filterIndex - 1)));
    }
    if (!o.defaultExt.isEmpty())
        dlg.setDefaultSuffix(o.defaultExt);
    if (!o.fileName.isEmpty())
        dlg.selectFile(o.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    o.fileName = dlg.selectedFiles().first();
    o.filterIndex = std::max(1, int(filters.indexOf(dlg.selectedNameFilter())) + 1);
    return true;
}

} // namespace

bool QtApplication::ExecSaveDialog(FileDialogOptions& options) { return RunFileDialog(options, true); }
bool QtApplication::ExecOpenDialog(FileDialogOptions& options) { return RunFileDialog(options, false); }

void QtApplication::ProcessMessages() { QCoreApplication::processEvents(); }

void QtApplication::HandleException(const std::exception& e)
{
    const auto* ex = dynamic_cast<const Exception*>(&e);
    const QString text = ex ? ex->Message() : QString::fromUtf8(e.what());
    MessageBox(text, Title(), mbOK, MessageIcon::Error);
}

QString QtApplication::Title() const
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("JXC") : name;
}

QStringList QtScreen::Printers() const { return QPrinterInfo::availablePrinterNames(); }

QList<QWidget*> QtScreen::TopLevelWindows() const
{
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            out << w;
    return out;
}

} // namespace platform
