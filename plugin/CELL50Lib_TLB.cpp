#include "plugin/CELL50Lib_TLB.h"

#include "platform/ReportSheet.h"
#include "platform/core/Exception.h"

#include <QVBoxLayout>

TCell::TCell(QWidget* parent) : TCell(std::make_unique<platform::ReportSheet>(), parent) {}

TCell::TCell(std::unique_ptr<platform::DispatchControl> control, QWidget* parent)
    : QWidget(parent), control_(std::move(control))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (control_ && control_->Widget()) {
        control_->Widget()->setParent(this);
        layout->addWidget(control_->Widget());
    }
}

TCell::~TCell()
{
    // The control's window is a child of this widget: release it before the children go, so
    // it is freed once, by its owner.
    if (control_ && control_->Widget())
        control_->Widget()->setParent(nullptr);
}

platform::DispatchControl& TCell::DefaultInterface()
{
    if (!default_) {
        if (!control_)
            throw platform::Exception(QStringLiteral("报表控件没有可用的接口"));
        default_ = control_.get();
    }
    return *default_;
}

platform::ReportSheet* TCell::ReportSheet() const { return dynamic_cast<platform::ReportSheet*>(control_.get()); }

QVariant TCell::Call(int dispId, const QVariantList& args) { return DefaultInterface().Invoke(dispId, args); }

int TCell::GetCurSheet() { return Call(CELL50Lib::DISPID_GetCurSheet).toInt(); }

void TCell::PreviewSheet(int flag, int sheet) { Call(CELL50Lib::DISPID_PreviewSheet, {flag, sheet}); }

void TCell::PrintSheet(int flag, int sheet) { Call(CELL50Lib::DISPID_PrintSheet, {flag, sheet}); }

void TCell::FindCell(int flag) { Call(CELL50Lib::DISPID_FindCell, {flag}); }

int TCell::ExportExcelFile(const QString& fileName) { return Call(CELL50Lib::DISPID_ExportExcelFile, {fileName}).toInt(); }

int TCell::GetTotalSheets() { return Call(CELL50Lib::DISPID_GetTotalSheets).toInt(); }

int TCell::GetCols(int sheet) { return Call(CELL50Lib::DISPID_GetCols, {sheet}).toInt(); }

int TCell::GetRows(int sheet) { return Call(CELL50Lib::DISPID_GetRows, {sheet}).toInt(); }

int TCell::IsFormulaCell(int column, int row, int sheet)
{
    return Call(CELL50Lib::DISPID_IsFormulaCell, {column, row, sheet}).toInt();
}

QString TCell::GetFormula(int column, int row, int sheet)
{
    return Call(CELL50Lib::DISPID_GetFormula, {column, row, sheet}).toString();
}
