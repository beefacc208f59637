#pragma once
// Ini values in files kept in one configuration folder of the host. The module names files
// bare ("Print.ini"); a name that would leave the folder is refused.
#include "plugin/IniIntf.h"

#include <QString>

namespace host {

class IniService : public plugin::RefCounted<plugin::IIniIntf> {
public:
    // folder: created when missing. Empty: the user's configuration folder of the host.
    explicit IniService(const QString& folder = {});

    QString JXC_STDCALL ReadString(const QString& section, const QString& key, const QString& fileName,
                                   const QString& defaultValue) override;
    // Written through at once; a file that cannot be written raises platform::Exception.
    void JXC_STDCALL WriteString(const QString& section, const QString& key, const QString& value,
                                 const QString& fileName) override;

    const QString& Folder() const { return folder_; }
    // The full path of a bare file name; throws platform::Exception for anything else.
    QString FilePath(const QString& fileName) const;

    static QString DefaultFolder();

protected:
    ~IniService() override = default;

private:
    QString folder_;
};

} // namespace host
