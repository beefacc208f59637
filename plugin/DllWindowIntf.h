#pragma once
// What a host sees of a plug-in window: the sixteen virtual operations in slot order, then the
// widget to dock. The window base implements it; CreateWindow returns it.
//
// Contract for the host: every operation may throw platform::Exception (EAbort when the window
// already told the user why it stopped, EDatabaseError from the database); the host catches
// around each call, as it does around CreateWindow. The window is owned by the module: the host
// never deletes it and ends it only through CloseWindow. The Save/Excel/Import/Find results
// say whether the command did its work (false: nothing to do, cancelled or refused).
#include "plugin/Interface.h"
#include <cstdint>

class QWidget;

namespace platform { class TApplication; class TScreen; }

namespace plugin {

class IFactoryIntf;

class TDllWindowIntf {
public:
    virtual void SetModified(bool value) = 0;    // 1
    virtual bool GetModified() = 0;              // 2
    virtual void SetHostValue(int16_t value) = 0; // 3
    virtual int16_t GetHostValue() = 0;          // 4
    virtual void RefreshData() = 0;              // 5
    virtual bool SaveData() = 0;                 // 6
    virtual bool SaveToExcel() = 0;              // 7
    virtual bool ImportData() = 0;               // 8
    virtual bool ReservedQuery() = 0;            // 9
    virtual void ReservedCommand1() = 0;         // 10
    virtual void PrintPreview() = 0;             // 11
    virtual void PrintData() = 0;                // 12
    virtual bool FindData() = 0;                 // 13
    virtual void ReservedCommand2() = 0;         // 14
    virtual void InitWindow() = 0;               // 15
    virtual void DoneWindow() = 0;               // 16
    // The window to dock, never null, owned by the module: its objectName is the form's class
    // name; the properties "Tag" (plug-in id) and "UnitCode" are the host's to set. Never throws.
    virtual QWidget* Widget() = 0;

protected:
    ~TDllWindowIntf() = default;
};

} // namespace plugin

// The two exports of the module library.
extern "C" {
typedef plugin::TDllWindowIntf* (JXC_STDCALL* CreateWindowProc)(platform::TApplication* application,
                                                                 platform::TScreen* screen,
                                                                 plugin::IFactoryIntf* factory);
typedef void (JXC_STDCALL* CloseWindowProc)();
}
