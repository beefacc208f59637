#pragma once
// The Cell report control as the windows use it: TCell hosts a control object and forwards
// each operation to it by dispatch id. Unless told otherwise it hosts the built-in report sheet
// (platform::ReportSheet). Sheets count from 0, columns and rows from 1. Every operation throws
// platform::Exception when the control has no default interface or the call fails.
// Exact class identity: IsExactly<TCell>.
#include "platform/DispatchControl.h"
#include "platform/ReportSheet.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace platform { class ReportSheet; }

namespace CELL50Lib {

// Identifiers of the outside control.
inline constexpr const char* CLASS_Cell = "{01E85C96-0576-423C-AA35-4DE078412088}";
inline constexpr const char* DIID__DCellEvents = "{F53A643C-65AE-4147-9AAC-1E289474D747}";
inline constexpr const char* DIID__DCell = "{A8B053A1-ACBB-47B1-9ECC-5A286BBB7B20}";
inline constexpr int ControlVersion = 401;

// Dispatch ids of the operations the windows call: the report sheet's own, named once there.
enum DispId : int {
    DISPID_GetCols = platform::ReportSheet::GetCols,
    DISPID_GetRows = platform::ReportSheet::GetRows,
    DISPID_GetCurSheet = platform::ReportSheet::GetCurSheet,
    DISPID_IsFormulaCell = platform::ReportSheet::IsFormulaCell,
    DISPID_ExportExcelFile = platform::ReportSheet::ExportExcelFile,
    DISPID_PrintSheet = platform::ReportSheet::PrintSheet,
    DISPID_PreviewSheet = platform::ReportSheet::PreviewSheet,
    DISPID_FindCell = platform::ReportSheet::FindCell,
    DISPID_GetTotalSheets = platform::ReportSheet::GetTotalSheets,
    DISPID_GetFormula = platform::ReportSheet::GetFormula,
};

} // namespace CELL50Lib

class TCell : public QWidget {
    Q_OBJECT
public:
    // Hosts the built-in report sheet.
    explicit TCell(QWidget* parent = nullptr);
    // Hosts the given control; nullptr hosts none, so every operation fails.
    explicit TCell(std::unique_ptr<platform::DispatchControl> control, QWidget* parent = nullptr);
    ~TCell() override;

    // The control's default interface, held from the first use for the wrapper's life; throws
    // when there is none.
    platform::DispatchControl& DefaultInterface();
    // The built-in report sheet, or nullptr when another control is hosted.
    platform::ReportSheet* ReportSheet() const;

    int GetCurSheet();
    void PreviewSheet(int flag, int sheet);
    void PrintSheet(int flag, int sheet);
    void FindCell(int flag);
    int ExportExcelFile(const QString& fileName);
    int GetTotalSheets();
    int GetCols(int sheet);
    int GetRows(int sheet);
    int IsFormulaCell(int column, int row, int sheet);
    QString GetFormula(int column, int row, int sheet);

private:
    QVariant Call(int dispId, const QVariantList& args = {});

    std::unique_ptr<platform::DispatchControl> control_;
    platform::DispatchControl* default_ = nullptr;
};
