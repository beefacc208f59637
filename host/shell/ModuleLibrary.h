#pragma once
// The module library: loaded with QLibrary, its two exports resolved, unloaded at the end.
#include "plugin/DllWindowIntf.h"

#include <QLibrary>
#include <QString>

namespace host {

class ModuleLibrary {
public:
    ModuleLibrary() = default;
    ~ModuleLibrary() { Unload(); }
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // Loads the library and resolves CreateWindow and CloseWindow; false with ErrorText()
    // when the file is missing, cannot be loaded or lacks an export (it is unloaded again).
    bool Load(const QString& path);
    void Unload();
    bool IsLoaded() const { return create_ != nullptr; }

    CreateWindowProc Create() const { return create_; }
    CloseWindowProc Close() const { return close_; }
    const QString& ErrorText() const { return error_; }
    QString FileName() const { return lib_.fileName(); }

    // The module beside the running executable (a build tree), else in the installed module
    // folder (<libdir>/jxc, found from the executable's own place).
    static QString DefaultPath(const QString& fileName);

private:
    QLibrary lib_;
    CreateWindowProc create_ = nullptr;
    CloseWindowProc close_ = nullptr;
    QString error_;
};

} // namespace host
