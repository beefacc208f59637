#include "host/shell/HostOptions.h"

#include "JxcVersion.h"

#include <QCommandLineParser>

namespace host {

std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString* message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("进销存管理系统 - 调拨单"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示帮助"));
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")}, QStringLiteral("显示版本"));
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("数据库：sqlite:文件路径 或 postgresql://...（默认：演示数据库）"),
                                QStringLiteral("target"));
    const QCommandLineOption op(QStringLiteral("operator"), QStringLiteral("操作员编号（不显示登录窗口）"),
                                QStringLiteral("code"));
    const QCommandLineOption module(QStringLiteral("module"), QStringLiteral("模块库文件（默认：程序目录下的模块）"),
                                    QStringLiteral("path"));
    const QCommandLineOption shot(QStringLiteral("screenshot"), QStringLiteral("载入数据后把窗口保存为 PNG 并退出"),
                                  QStringLiteral("file"));
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("配置文件夹"), QStringLiteral("dir"));
    const QCommandLineOption ca(QStringLiteral("db-ca"),
                                QStringLiteral("数据库服务器证书的 CA 证书文件（连接其他主机上的服务器时必需）"),
                                QStringLiteral("file"));
    const QCommandLineOption insecure(QStringLiteral("db-insecure"),
                                      QStringLiteral("允许不经证书验证连接其他主机上的数据库服务器"));
    parser.addOptions({help, version, db, op, module, shot, config, ca, insecure});

    auto fail = [&](const QString& why) -> std::optional<HostOptions> {
        if (message)
            *message = QStringLiteral("jxc-host：") + why + QStringLiteral("\n请用 “jxc-host --help” 查看用法。");
        return std::nullopt;
    };
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return fail(QStringLiteral("无法识别的选项 %1").arg(parser.unknownOptionNames().constFirst()));
        return fail(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("无法识别的参数：%1").arg(parser.positionalArguments().join(u' ')));

    HostOptions o;
    if (parser.isSet(help) || parser.isSet(version)) {
        o.help = parser.isSet(help);
        o.version = !o.help;
        if (message)
            *message = o.help ? HostHelpText() : HostVersionText();
        return o;
    }
    o.database = parser.value(db).trimmed();
    o.operatorCode = parser.value(op).trimmed();
    o.modulePath = parser.value(module).trimmed();
    o.screenshot = parser.value(shot).trimmed();
    o.configDir = parser.value(config).trimmed();
    o.databaseCa = parser.value(ca).trimmed();
    o.databaseInsecure = parser.isSet(insecure);
    for (const auto& [opt, value] : {std::pair{&db, &o.database}, {&op, &o.operatorCode}, {&module, &o.modulePath},
                                     {&shot, &o.screenshot}, {&config, &o.configDir}, {&ca, &o.databaseCa}})
        if (parser.isSet(*opt) && value->isEmpty())
            return fail(QStringLiteral("选项 --%1 需要一个值").arg(opt->names().constFirst()));
    return o;
}

QString HostHelpText()
{
    return QStringLiteral(
        "用法：jxc-host [选项]…\n"
        "进销存管理系统的调拨单：查询、新增、修改、审核、调拨、冲销、打印调拨单，查看库存台账。\n"
        "\n"
        "  --db 目标            数据库：sqlite:文件路径、文件路径，或 postgresql://… 及 libpq 的\n"
        "                       “key=value” 连接串（默认：上次的选择；第一次运行时询问）\n"
        "  --db-ca 文件         数据库服务器证书的 CA 证书文件（连接其他主机上的服务器时必需）\n"
        "  --db-insecure        允许不经证书验证连接其他主机上的数据库服务器\n"
        "  --operator 编号      以该操作员身份运行，不显示登录窗口（只用于演示数据库）\n"
        "  --module 路径        模块库文件（默认：程序目录下的模块，或安装的模块）\n"
        "  --config 文件夹      配置文件夹（默认：用户的配置文件夹）\n"
        "  --screenshot 文件    载入数据后把窗口保存为 PNG 并退出（只用于演示数据库）\n"
        "  -h, --help           显示此帮助并退出\n"
        "  -V, --version        显示版本信息并退出\n"
        "\n"
        "退出状态：0 正常；1 运行时出错；2 命令行有误；3 截图无法保存。\n");
}

QString HostVersionText() { return QStringLiteral("jxc-host %1\n").arg(QStringLiteral(JXC_VERSION)); }

} // namespace host
