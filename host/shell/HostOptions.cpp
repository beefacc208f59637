#include "host/shell/HostOptions.h"

#include <QCommandLineParser>

namespace host {

std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString* message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("进销存管理系统 - 调拨单"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示帮助"));
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
    parser.addOptions({help, db, op, module, shot, config, ca, insecure});

    auto fail = [&](const QString& why) -> std::optional<HostOptions> {
        if (message)
            *message = why.isEmpty() ? parser.helpText() : why + QStringLiteral("\n\n") + parser.helpText();
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("无法识别的参数：%1").arg(parser.positionalArguments().join(u' ')));

    HostOptions o;
    if (parser.isSet(help)) {
        o.help = true;
        if (message)
            *message = parser.helpText();
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

} // namespace host
