#include "host/shell/HostSession.h"

#include "host/admin/DemoData.h"
#include "host/admin/Passwords.h"
#include "host/db/Schema.h"
#include "host/db/engines/PgConnection.h"
#include "host/services/DictService.h"
#include "host/services/HostLook.h"
#include "host/services/IniService.h"
#include "host/services/MainService.h"
#include "host/services/MessageService.h"
#include "host/services/PrinterService.h"
#include "host/services/RightsService.h"
#include "platform/Application.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace host {

QString SqliteFileOf(const QString& target)
{
    const QString t = target.trimmed();
    if (t.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
        QString path = t.mid(7);
        if (path.startsWith(QLatin1String("//")))
            path = path.mid(2);
        return path;
    }
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return {};
    static const QRegularExpression keyValue(QStringLiteral("^[A-Za-z_]+\\s*="));
    if (keyValue.match(t).hasMatch())
        return {};
    return t;
}

QString DisplayTarget(const QString& target)
{
    if (!SqliteFileOf(target).isEmpty())
        return QFileInfo(SqliteFileOf(target)).fileName();
    QString t = target;
    if (t.contains(QLatin1String("://"))) {
        QUrl url(t);
        if (url.isValid()) {
            url.setPassword(QString());
            return url.toString();
        }
    }
    static const QRegularExpression pw(QStringLiteral("password\\s*=\\s*('[^']*'|\\S+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return t.replace(pw, QStringLiteral("password=***"));
}

HostSession::HostSession(platform::TApplication* app) : app_(app) {}

HostSession::~HostSession() { Stop(); }

QString HostSession::TransportText() const
{
    const auto* pg = db_ ? dynamic_cast<const db::PgConnection*>(&db_->GetConnection()) : nullptr;
    if (!pg)
        return {};
    switch (pg->GetTransport()) {
    case db::PgConnection::Transport::Local:
        return QStringLiteral("本机连接");
    case db::PgConnection::Transport::Verified:
        return QStringLiteral("TLS 已验证");
    case db::PgConnection::Transport::Unverified:
        break;
    }
    return QStringLiteral("未经验证的连接");
}

void HostSession::OpenDatabase(const QString& target, const db::TransportPolicy& policy)
{
    target_ = target.trimmed().isEmpty() ? QStringLiteral("sqlite:") + db::DefaultDatabasePath() : target.trimmed();
    const QString file = SqliteFileOf(target_);
    const bool fresh = !file.isEmpty() && !QFileInfo::exists(file);
    std::unique_ptr<db::Connection> c;
    try {
        c = db::Open(target_, policy);
        db::OpenSchema(*c);
        if (fresh)
            db::SeedDemo(*c);
    } catch (...) {
        c.reset();
        // A half-made demo file would be taken for a real database next time.
        if (fresh) {
            QFile::remove(file);
            QFile::remove(file + QStringLiteral("-wal"));
            QFile::remove(file + QStringLiteral("-shm"));
        }
        throw;
    }
    createdDemo_ = fresh;
    db_ = new db::DbService(std::move(c));
}

namespace {

// A new server database starts empty; the admin tool fills it.
QString NoOperatorsText()
{
    return QStringLiteral("数据库中还没有操作员。\n请先运行 “jxc-admin --db 数据库 seed-demo” 填入演示数据，或添加操作员。");
}

plugin::TOperator OperatorAt(platform::Dataset& ds)
{
    plugin::TOperator op;
    op.OperatorId = int(ds.FieldByName(QStringLiteral("OperatorID")).AsInteger());
    op.OperatorCode = ds.FieldByName(QStringLiteral("OperatorCode")).AsString();
    op.OperatorName = ds.FieldByName(QStringLiteral("OperatorName")).AsString();
    return op;
}

} // namespace

plugin::TOperator HostSession::FindOperator(const QString& code) const
{
    if (!db_)
        throw platform::Exception(QStringLiteral("没有打开数据库"));
    std::unique_ptr<platform::Dataset> ds(db_->OpenQuery(
        QStringLiteral("select OperatorID, OperatorCode, OperatorName from sys_operator where OperatorCode = :1"),
        {code.trimmed()}));
    if (!ds || ds->IsEmpty()) {
        if (db_->QueryValue(QStringLiteral("select count(*) from sys_operator")) == u"0")
            throw platform::Exception(NoOperatorsText());
        throw platform::Exception(QStringLiteral("操作员“%1”不存在").arg(code.trimmed()));
    }
    return OperatorAt(*ds);
}

QList<plugin::TOperator> HostSession::Operators() const
{
    QList<plugin::TOperator> out;
    if (!db_)
        return out;
    std::unique_ptr<platform::Dataset> ds(
        db_->OpenQuery(QStringLiteral("select OperatorID, OperatorCode, OperatorName from sys_operator order by OperatorCode")));
    for (ds->First(); !ds->Eof(); ds->Next())
        out << OperatorAt(*ds);
    return out;
}

void HostSession::Start(const plugin::TOperator& op, const QString& configFolder, QWidget* hostWindow)
{
    operator_ = op;
    // The audit trail names this operator for every change this workstation makes.
    db_->GetConnection().SetSessionOperator(op.OperatorCode);
    ApplyHostLook(styles_);

    ini_ = new IniService(configFolder);
    IniService* ini = ini_.Get();
    // The host's own settings, written back so the user finds them.
    const QString hostIni = QStringLiteral("Host.ini");
    unitCode_ = ini->ReadString(QStringLiteral("Host"), QStringLiteral("UnitCode"), hostIni, QString());
    if (unitCode_.isEmpty()) {
        unitCode_ = QStringLiteral("0001");
        try {
            ini->WriteString(QStringLiteral("Host"), QStringLiteral("UnitCode"), unitCode_, hostIni);
        } catch (const platform::Exception&) {
            // A read-only configuration folder still lets the host run.
        }
    }
    pluginId_ = db::TransferPluginId;

    FactoryServices s;
    s.log = new MessageService(app_);
    s.ini = ini_.Get();
    s.printer = new PrinterService(app_);
    s.ui = new MainService(&styles_, hostWindow);
    s.db = db_.Get();
    s.dict = new DictService(db_.Get());
    s.rights = new RightsService(db_.Get(), op.OperatorId);
    factory_ = new Factory(op, std::move(s));
}

void HostSession::Stop()
{
    factory_.Reset();
    ini_.Reset();
    db_.Reset();
}

QString LoginBypassRefusal(const HostSession& session, const QString& option)
{
    if (session.Db() && admin::IsDemoDatabase(*session.Db()))
        return {};
    return QStringLiteral("%1 只能用于演示数据库：这个数据库的操作员须在登录窗口输入密码登录。").arg(option);
}

std::optional<plugin::TOperator> RunLogin(const HostSession& session, platform::TApplication* app)
{
    const QList<plugin::TOperator> operators = session.Operators();
    if (operators.isEmpty())
        throw platform::Exception(NoOperatorsText());

    QDialog dialog;
    dialog.setObjectName(QStringLiteral("LoginDialog"));
    dialog.setWindowTitle(QStringLiteral("登录 - 进销存管理系统"));
    auto* form = new QFormLayout(&dialog);
    auto* title = new QLabel(QStringLiteral("请选择操作员登录"), &dialog);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    title->setFont(big);
    form->addRow(title);
    auto* who = new QComboBox(&dialog);
    who->setObjectName(QStringLiteral("cbOperator"));
    for (const plugin::TOperator& op : operators)
        who->addItem(QStringLiteral("%1  %2").arg(op.OperatorCode, op.OperatorName), op.OperatorCode);
    form->addRow(QStringLiteral("操作员(&U)："), who);
    auto* password = new QLineEdit(&dialog);
    password->setObjectName(QStringLiteral("edtPassword"));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("密码(&P)："), password);
    auto* error = new QLabel(&dialog);
    error->setObjectName(QStringLiteral("lblError"));
    error->setStyleSheet(QStringLiteral("color: #B00020;"));
    error->setWordWrap(true); // the lockout message is a sentence
    form->addRow(error);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("登录"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const QString code = who->currentData().toString();
        qint64 id = 0;
        for (const plugin::TOperator& op : operators)
            if (op.OperatorCode == code)
                id = op.OperatorId;
        admin::LoginCheck check;
        // Hashing the password takes a noticeable moment on purpose.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            check = admin::CheckLogin(*session.Db(), id, password->text(), admin::DatabaseNow(*session.Db()));
        } catch (const platform::Exception& e) {
            check = {};
            error->setText(e.Message());
            QGuiApplication::restoreOverrideCursor();
            return;
        }
        QGuiApplication::restoreOverrideCursor();
        if (check.outcome != admin::LoginOutcome::Ok) {
            error->setText(admin::LoginMessage(check));
            password->selectAll();
            password->setFocus();
            return;
        }
        dialog.accept();
    });
    who->setFocus();
    if (app->ExecModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QString code = who->currentData().toString();
    for (const plugin::TOperator& op : operators)
        if (op.OperatorCode == code)
            return op;
    return std::nullopt;
}

} // namespace host
