// jxc-host: the desktop shell that runs the transfer-bill module.
#include "JxcVersion.h"
#include "host/admin/Passwords.h"
#include "host/services/HostLook.h"
#include "host/services/IniService.h"
#include "host/shell/DatabaseChoice.h"
#include "host/shell/DesktopApplication.h"
#include "host/shell/HostOptions.h"
#include "host/shell/HostSession.h"
#include "host/shell/HostWindow.h"
#include "platform/core/Exception.h"
#include "platform/core/FileLog.h"
#include "platform/core/Currency.h"
#include "platform/core/LocalZone.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSettings>
#include <QPixmap>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <optional>

#ifndef JXC_MODULE_FILE
#define JXC_MODULE_FILE "libjxc-transfer.so"
#endif

namespace {

void Print(FILE* to, const QString& text)
{
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

QString MessageOf(const std::exception& e)
{
    if (const auto* ex = dynamic_cast<const platform::Exception*>(&e))
        return ex->Message();
    return QString::fromLocal8Bit(e.what());
}

// Lets layouts, the module's queued work and the first paints finish before the picture.
void Settle()
{
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// Shows a message that ends the program; the exit code that goes with it.
int Fatal(host::DesktopApplication& appObject, const QString& text)
{
    appObject.MessageBox(text, appObject.Title(), platform::mbOK, platform::MessageIcon::Error);
    return 1;
}

// Opens the database and sets op to the operator who works: the one given, the first one for a
// screenshot, else the one the login dialog returns. An exit code when the program ends here.
std::optional<int> LogIn(const host::HostOptions& options, host::DesktopApplication& appObject,
                         host::HostSession& session, plugin::TOperator& op)
{
    const bool screenshot = !options.screenshot.isEmpty();
    try {
        session.OpenDatabase(options.database, host::db::TransportPolicy{options.databaseCa, options.databaseInsecure});
    } catch (const std::exception& e) {
        return Fatal(appObject,
                     QStringLiteral("无法打开数据库 %1：\n%2").arg(host::DisplayTarget(session.Target()), MessageOf(e)));
    }
    try {
        // Starting without the login dialog is for the demo database alone.
        if (!options.operatorCode.isEmpty() || screenshot) {
            const QString refusal =
                host::LoginBypassRefusal(session, options.operatorCode.isEmpty() ? QStringLiteral("--screenshot")
                                                                                : QStringLiteral("--operator"));
            if (!refusal.isEmpty())
                return Fatal(appObject, refusal);
        }
        if (!options.operatorCode.isEmpty()) {
            op = session.FindOperator(options.operatorCode);
        } else if (screenshot) {
            const auto all = session.Operators();
            if (all.isEmpty())
                return Fatal(appObject, QStringLiteral("数据库中还没有操作员"));
            op = all.first();
        } else {
            const auto chosen = host::RunLogin(session, &appObject);
            if (!chosen)
                return 0;
            op = *chosen;
        }
    } catch (const std::exception& e) {
        return Fatal(appObject, MessageOf(e));
    }
    return std::nullopt;
}

// Without --db: the database chosen last time, else asked once (a screenshot takes the demo);
// options take it. False when the user cancelled the question.
bool ChooseDatabase(host::HostOptions& options, QSettings& settings, std::optional<host::DatabaseChoice>& choice)
{
    if (!options.database.isEmpty() || !options.screenshot.isEmpty())
        return true;
    choice = host::DatabaseWithoutAsking(settings);
    if (!choice) {
        host::FirstRunDialog ask;
        if (ask.exec() != QDialog::Accepted)
            return false;
        choice = ask.Choice();
    }
    options.database = choice->target;
    if (options.databaseCa.isEmpty())
        options.databaseCa = choice->ca;
    options.databaseInsecure = options.databaseInsecure || choice->insecure;
    return true;
}

QString HostIni()
{
    return QStringLiteral("Host.ini");
}

// The status line, and the window's place: a fixed size for a screenshot, else where the user
// left it last time.
void PrepareWindow(host::HostWindow& window, const host::HostSession& session, const plugin::TOperator& op,
                   bool screenshot)
{
    window.SetStatusInfo(QStringLiteral("操作员：%1 %2").arg(op.OperatorCode, op.OperatorName),
                         session.TransportText().isEmpty()
                             ? QStringLiteral("数据库：%1").arg(host::DisplayTarget(session.Target()))
                             : QStringLiteral("数据库：%1（%2）").arg(host::DisplayTarget(session.Target()), session.TransportText()));
    if (session.CreatedDemo())
        window.statusBar()->showMessage(QStringLiteral("已创建演示数据库"), 8000);
    if (screenshot) {
        window.resize(1280, 800);
    } else {
        const QString saved = session.Ini()->ReadString(QStringLiteral("Window"), QStringLiteral("Geometry"), HostIni(), {});
        if (!saved.isEmpty())
            window.restoreGeometry(QByteArray::fromBase64(saved.toLatin1()));
    }
}

// The demo database counts promised stock (Stock/CountPromised) unless the ini already says.
void ApplyDemoDefaults(const host::HostSession& session)
{
    if (!session.Db() || !host::admin::IsDemoDatabase(*session.Db()))
        return;
    const QString unset = QStringLiteral("?");
    const QString section = QStringLiteral("Stock"), key = QStringLiteral("CountPromised");
    try {
        if (session.Ini()->ReadString(section, key, HostIni(), unset) == unset)
            session.Ini()->WriteString(section, key, QStringLiteral("1"), HostIni());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jxc-host: %s\n", e.what());
    }
}

void SaveGeometry(const host::HostWindow& window, const host::HostSession& session)
{
    try {
        session.Ini()->WriteString(QStringLiteral("Window"), QStringLiteral("Geometry"),
                                   QString::fromLatin1(window.saveGeometry().toBase64()), HostIni());
    } catch (const platform::Exception&) {
        // Not being able to remember the window is no reason to fail the exit.
    }
}

host::ModuleLaunch LaunchOf(const host::HostOptions& options, const host::HostSession& session)
{
    host::ModuleLaunch launch;
    launch.path = options.modulePath.isEmpty() ? host::ModuleLibrary::DefaultPath(QStringLiteral(JXC_MODULE_FILE))
                                               : options.modulePath;
    launch.pluginId = session.PluginId();
    launch.unitCode = session.UnitCode();
    return launch;
}

// Once the module has painted, saves the window's picture to path and ends the application:
// 0 when saved, 3 when not.
void ScheduleScreenshot(host::HostWindow& window, const QString& path)
{
    QTimer::singleShot(0, &window, [&window, path] {
        Settle();
        const QPixmap picture = window.grab();
        QImageWriter writer(path, "png");
        const bool saved = !picture.isNull() && writer.write(picture.toImage());
        if (!saved)
            Print(stderr, QStringLiteral("无法保存截图 %1：%2").arg(path, writer.errorString()));
        window.CloseModule();
        QCoreApplication::exit(saved ? 0 : 3);
    });
}

} // namespace

int main(int argc, char** argv)
{
    // The command line first: --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString message;
    const auto options = host::ParseHostOptions(arguments, &message);
    if (!options) {
        Print(stderr, message);
        return 2;
    }
    if (options->help || options->version) {
        Print(stdout, message.endsWith(u'\n') ? message.chopped(1) : message);
        return 0;
    }
    platform::KeepLocalZoneLoaded(); // before any thread starts
    platform::RegisterValueTypes();  // the host's registration, not the module's: it may be unloaded
    host::HostApplication app(argc, argv);
    platform::InstallFileLog(QStringLiteral("jxc-host"));
    QCoreApplication::setApplicationName(QStringLiteral("jxc"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JXC_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("进销存管理系统"));
    host::InstallChineseFonts();
    const bool screenshot = !options->screenshot.isEmpty();

    host::DesktopApplication appObject;
    host::DesktopScreen screenObject;
    appObject.SetUnattended(screenshot);
    platform::SetApplication(&appObject);
    platform::SetScreen(&screenObject);
    app.SetReporter([&](const QString& text) {
        appObject.MessageBox(text, appObject.Title(), platform::mbOK, platform::MessageIcon::Error);
    });

    host::HostOptions chosen = *options;
    const std::unique_ptr<QSettings> settings = host::UserSettings();
    std::optional<host::DatabaseChoice> choice;
    if (!ChooseDatabase(chosen, *settings, choice))
        return 0;
    host::HostSession session(&appObject);
    plugin::TOperator op;
    if (const auto exitCode = LogIn(chosen, appObject, session, op))
        return *exitCode;
    if (choice)
        host::RememberDatabase(*settings, *choice);

    int result = 0;
    {
        host::HostWindow window(&appObject, &screenObject);
        session.Start(op, options->configDir, &window);
        ApplyDemoDefaults(session);
        PrepareWindow(window, session, op, screenshot);
        window.show();

        QString error;
        if (!window.OpenModule(LaunchOf(*options, session), session.GetFactory(), &error))
            return Fatal(appObject, error);

        if (screenshot)
            ScheduleScreenshot(window, options->screenshot);
        result = app.exec();
        window.CloseModule();
        if (!screenshot)
            SaveGeometry(window, session);
    }
    session.Stop();
    platform::SetApplication(nullptr);
    platform::SetScreen(nullptr);
    return result;
}
