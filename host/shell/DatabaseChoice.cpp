#include "host/shell/DatabaseChoice.h"
#include "ui_FirstRunDialog.h"

#include "host/admin/DemoData.h"

#include <QDir>

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace host {

namespace {

const QString kTarget = QStringLiteral("Database/Target");
const QString kCa = QStringLiteral("Database/CaFile");
const QString kInsecure = QStringLiteral("Database/Insecure");

} // namespace

std::unique_ptr<QSettings> UserSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("jxc"),
                                       QStringLiteral("jxc-host"));
}

QString DemoTarget() { return QStringLiteral("sqlite:") + db::DefaultDatabasePath(); }

std::optional<DatabaseChoice> DatabaseWithoutAsking(QSettings& settings)
{
    const QString target = settings.value(kTarget).toString().trimmed();
    if (!target.isEmpty())
        return DatabaseChoice{target, settings.value(kCa).toString(), settings.value(kInsecure).toBool()};
    if (QFileInfo::exists(db::DefaultDatabasePath()))
        return DatabaseChoice{DemoTarget(), {}, false};
    return std::nullopt;
}

void RememberDatabase(QSettings& settings, const DatabaseChoice& choice)
{
    settings.setValue(kTarget, choice.target);
    settings.setValue(kCa, choice.ca);
    settings.setValue(kInsecure, choice.insecure);
    settings.sync();
}

FirstRunDialog::FirstRunDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::FirstRunDialog>())
{
    ui_->setupUi(this);
    ui_->rbDemo->setText(ui_->rbDemo->text().arg(QDir::toNativeSeparators(db::DefaultDatabasePath())));
    connect(ui_->rbServer, &QRadioButton::toggled, this, &FirstRunDialog::ServerToggled);
    connect(ui_->btnCa, &QPushButton::clicked, this, &FirstRunDialog::BrowseCa);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &FirstRunDialog::Check);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ServerToggled(false);
}

FirstRunDialog::~FirstRunDialog() = default;

DatabaseChoice FirstRunDialog::Choice() const
{
    if (!ui_->rbServer->isChecked())
        return {DemoTarget(), {}, false};
    return {ui_->edtServer->text().trimmed(), ui_->edtCa->text().trimmed(), ui_->cbInsecure->isChecked()};
}

void FirstRunDialog::ServerToggled(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->edtServer, ui_->edtCa, ui_->btnCa, ui_->cbInsecure})
        w->setEnabled(on);
    if (on)
        ui_->edtServer->setFocus();
}

void FirstRunDialog::BrowseCa()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("选择 CA 证书文件"), ui_->edtCa->text(),
                                                      QStringLiteral("证书文件 (*.crt *.pem);;所有文件 (*)"));
    if (!file.isEmpty())
        ui_->edtCa->setText(file);
}

void FirstRunDialog::Check()
{
    if (ui_->rbServer->isChecked() && ui_->edtServer->text().trimmed().isEmpty()) {
        ui_->lblError->setText(QStringLiteral("请填写数据库服务器的地址"));
        ui_->edtServer->setFocus();
        return;
    }
    if (ui_->rbServer->isChecked() && !ui_->edtCa->text().trimmed().isEmpty()
        && !QFileInfo(ui_->edtCa->text().trimmed()).isReadable()) {
        ui_->lblError->setText(QStringLiteral("无法读取 CA 证书文件"));
        ui_->edtCa->setFocus();
        return;
    }
    accept();
}

} // namespace host
