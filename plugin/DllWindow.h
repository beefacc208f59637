#pragma once
// The base of every plug-in window the host shows: the toolbar that merges into the host's,
// the sixteen operations the host drives, the window's rights checks and the host's shared
// styles. The host reaches it only through TDllWindowIntf (CreateWindow's result).
#include "platform/Component.h"
#include "plugin/DllWindowIntf.h"

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QTimer;
class QToolBar;
class QVBoxLayout;

class TCell;

namespace platform { struct FileDialogOptions; }

// The form's toolbar manager: owns the form's bars (QToolBars parented to the form, docked at
// the top, one row each). The host looks up the bar "dxToolBar" and merges it into its own.
class TdxBarManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AlwaysMerge READ AlwaysMerge CONSTANT)
    Q_PROPERTY(bool AllowCallFromAnotherForm READ AllowCallFromAnotherForm CONSTANT)
public:
    TdxBarManager(QWidget* form, QVBoxLayout* dock);
    // A new bar on its own row below the existing ones.
    QToolBar* AddBar(const QString& name, const QString& caption);
    QToolBar* Bar(const QString& name) const; // nullptr when there is none
    const QList<QToolBar*>& Bars() const { return bars_; }
    bool AlwaysMerge() const { return true; }
    bool AllowCallFromAnotherForm() const { return true; }

private:
    QWidget* form_;
    QVBoxLayout* dock_;
    QList<QToolBar*> bars_;
};

class TDllWindowForm : public platform::Form, public plugin::TDllWindowIntf {
    Q_OBJECT
    Q_PROPERTY(QString UnitCode READ GetUnitCode WRITE SetUnitCode)
public:
    explicit TDllWindowForm(QWidget* parent = nullptr);
    ~TDllWindowForm() override;

    TdxBarManager* dxBarToolBar;
    bool Modified = false;
    int16_t HostValue = 0;
    QTimer* CaptionTimer = nullptr;

    QString GetUnitCode() const { return unitCode_; }
    void SetUnitCode(const QString& code) { unitCode_ = code; }

    // The sixteen operations the host calls, in slot order.
    void SetModified(bool value) override;
    bool GetModified() override;
    void SetHostValue(int16_t value) override;
    int16_t GetHostValue() override;
    void RefreshData() override;
    bool SaveData() override;
    bool SaveToExcel() override;
    bool ImportData() override;
    bool ReservedQuery() override;
    void ReservedCommand1() override;
    void PrintPreview() override;
    void PrintData() override;
    bool FindData() override;
    void ReservedCommand2() override;
    void InitWindow() override;
    void DoneWindow() override;
    QWidget* Widget() override { return this; }

    // The operator's browse level and operate right for this plug-in (the form's Tag).
    int RightsLevel();
    int OperateRight();
    // Gives the grids, trees and editors the container owns the host's shared styles, and
    // descends into the frames, tab sheets and forms it owns.
    void ApplyHostStyles(QObject* container);

    // The first report control inside a tab sheet, frame or form: a grid showing a banded
    // view, a spreadsheet book or a report sheet (TCell) among its components, else the last
    // one found in a nested container; nullptr for anything else.
    QObject* FindReportControl(QObject* container);
    // The walk the print, find and Excel commands share: for each component the window owns,
    // the action is offered the report control found inside it, then the component itself,
    // until it reports handled. Returns the last action's result (false for no components).
    // The action receives nullptr for "nothing found" and must report it as not handled.
    using ControlAction = std::function<bool(QObject*)>;
    bool RunCommandWalk(const ControlAction& action);

protected:
    // Where derived windows put their controls, below the toolbars.
    QVBoxLayout* ClientLayout() const { return client_; }
    void CaptionTimerTimer();

private:
    // The print commands' action: printer operation 3 (preview) or 4 (print).
    void PrintCommand(bool preview);
    bool PrintControl(QObject* control, bool preview);
    bool FindControl(QObject* control);
    bool ExportControl(QObject* control, platform::FileDialogOptions& dialog);
    // A report sheet's workbook with its formulas made live, through a spreadsheet book.
    void ExportReportSheet(TCell& cell, const QString& fileName);

private:
    QString unitCode_;
    QVBoxLayout* client_;
};
