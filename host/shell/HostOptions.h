#pragma once
// The command line of jxc-host.
#include <QString>
#include <QStringList>
#include <optional>

namespace host {

struct HostOptions {
    QString database;     // --db: "sqlite:PATH", "postgresql://..."; empty: the demo database
    QString operatorCode; // --operator: skips the login
    QString modulePath;   // --module: empty: the module beside the executable
    QString screenshot;   // --screenshot: PNG of the window after the first load, then exit
    QString configDir;    // --config: folder of the ini files; empty: the user's
    QString databaseCa;   // --db-ca: the authority the database server's certificate must chain to
    bool databaseInsecure = false; // --db-insecure: a server on another host without verified TLS
    bool help = false;    // the usage text is in the error argument
    bool version = false; // the version line is in the error argument
};

// The usage text of --help, in the manner of the system's own tools.
QString HostHelpText();
// The line --version prints: "jxc-host VERSION".
QString HostVersionText();

// nullopt on a bad command line, with the reason (and a pointer to --help) in *message. Needs no
// application object, so --help and --version work without a display.
std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString* message);

} // namespace host
