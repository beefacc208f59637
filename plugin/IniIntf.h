#pragma once
#include "plugin/Interface.h"
#include <QString>

namespace plugin {

// Ini values in files the host keeps; file names are bare ("Print.ini"). Both throw
// platform::Exception for a file name that is not bare (a path, ".", ".."); WriteString also
// when the file cannot be written. ReadString gives defaultValue for a missing file or key.
class IIniIntf : public IInterface {
public:
    virtual QString JXC_STDCALL ReadString(const QString& section, const QString& key, const QString& fileName,
                                           const QString& defaultValue) = 0; // 3
    JXC_RESERVED_SLOT(4)
    virtual void JXC_STDCALL WriteString(const QString& section, const QString& key, const QString& value,
                                         const QString& fileName) = 0; // 5

protected:
    ~IIniIntf() = default;
};

} // namespace plugin
