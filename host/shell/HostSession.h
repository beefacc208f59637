#pragma once
// What one run of the host holds: the database service, the logged-in operator, the shared
// styles and the factory with every service. No window here except the login dialog.
#include "host/db/DbService.h"
#include "host/services/Factory.h"
#include "platform/StyleRepository.h"

#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace platform { class TApplication; }

namespace host {

class IniService;
class MainService;

// The SQLite file a --db target names, or "" for a server target.
QString SqliteFileOf(const QString& target);
// The target with any password blanked, for the status bar.
QString DisplayTarget(const QString& target);

class HostSession {
public:
    explicit HostSession(platform::TApplication* app);
    ~HostSession();

    // Opens the database; empty target: the demo database. A SQLite file that does not exist
    // yet is created with the schema and the demo data (and removed again when that fails).
    // An existing database gets whatever host tables it lacks. Throws platform::Exception.
    void OpenDatabase(const QString& target, const db::TransportPolicy& policy = {});
    // How the link to a database server is secured, for the status bar: "本机连接",
    // "TLS 已验证" or "未经验证的连接"; empty for a SQLite file.
    QString TransportText() const;
    bool CreatedDemo() const { return createdDemo_; }
    const QString& Target() const { return target_; }
    db::DbService* Db() const { return db_.Get(); }

    // The operator with this code; throws platform::Exception when there is none.
    plugin::TOperator FindOperator(const QString& code) const;
    // Every operator, by code.
    QList<plugin::TOperator> Operators() const;

    // Builds the services and the factory for the operator; config folder "" = the user's.
    void Start(const plugin::TOperator& op, const QString& configFolder, QWidget* hostWindow);
    host::Factory* GetFactory() const { return factory_.Get(); }
    platform::StyleRepository& Styles() { return styles_; }
    const plugin::TOperator& Operator() const { return operator_; }

    // The host's own ini service (Host.ini holds the host's settings).
    IniService* Ini() const { return ini_.Get(); }
    // The host's own settings in Host.ini of the config folder (written back with defaults).
    QString UnitCode() const { return unitCode_; }
    int PluginId() const { return pluginId_; }

    // Drops the services and the database (the module must be closed by now).
    void Stop();

private:
    platform::TApplication* app_;
    QString target_;
    bool createdDemo_ = false;
    plugin::IntfPtr<db::DbService> db_;
    platform::StyleRepository styles_;
    plugin::IntfPtr<host::Factory> factory_;
    plugin::IntfPtr<IniService> ini_;
    plugin::TOperator operator_;
    QString unitCode_;
    int pluginId_ = 0;
};

// The login: picks an operator and checks the password (host/admin/Passwords.h: hashes, the
// wait after failures, the lockout; no password only on a demo database). nullopt when the
// user cancels.
std::optional<plugin::TOperator> RunLogin(const HostSession& session, platform::TApplication* app);

// Whether the host may start as an operator without the login dialog (--operator,
// --screenshot): only on a demo database. Empty when it may, else the reason.
QString LoginBypassRefusal(const HostSession& session, const QString& option);

} // namespace host
