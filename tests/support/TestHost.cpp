#include "tests/support/TestHost.h"

#include "host/db/DbService.h"
#include "host/services/DictService.h"
#include "host/services/RightsService.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

namespace testsupport {

void TestLog::ShowMessage(const QString& text, int)
{
    Messages << text;
    throw platform::EAbort();
}

void TestLog::ShowError(const QString& text, int) { Errors << text; }

QString TestIni::KeyOf(const QString& fileName, const QString& section, const QString& key)
{
    // Ini names ignore case, as the host's files do.
    return fileName.toLower() + u'\x1f' + section.toLower() + u'\x1f' + key.toLower();
}

QString TestIni::ReadString(const QString& section, const QString& key, const QString& fileName,
                            const QString& defaultValue)
{
    ++Reads;
    return values_.value(KeyOf(fileName, section, key), defaultValue);
}

void TestIni::WriteString(const QString& section, const QString& key, const QString& value, const QString& fileName)
{
    ++Writes;
    values_[KeyOf(fileName, section, key)] = value;
}

void TestIni::Set(const QString& fileName, const QString& section, const QString& key, const QString& value)
{
    values_[KeyOf(fileName, section, key)] = value;
}

bool TestIni::Has(const QString& fileName, const QString& section, const QString& key) const
{
    return values_.contains(KeyOf(fileName, section, key));
}

QString TestIni::Value(const QString& fileName, const QString& section, const QString& key) const
{
    return values_.value(KeyOf(fileName, section, key));
}

void TestPrinter::PreviewComponent(QWidget* component, int flags, const QString& unitCode, const QString& formName)
{
    Calls << Call{QStringLiteral("PreviewComponent"), component, flags, unitCode, formName};
}

void TestPrinter::PrintComponent(QWidget* component, int flags, const QString& unitCode, const QString& formName)
{
    Calls << Call{QStringLiteral("PrintComponent"), component, flags, unitCode, formName};
}

int TestRights::CanBrowse(const QString& pluginId)
{
    Calls << QStringLiteral("CanBrowse:") + pluginId;
    return Browse.value(pluginId);
}

int TestRights::CanOperate(const QString& pluginId)
{
    Calls << QStringLiteral("CanOperate:") + pluginId;
    return Operate.value(pluginId);
}

QString TestRights::GoodsTypeList(int operatorId)
{
    Calls << QStringLiteral("GoodsTypeList:") + QString::number(operatorId);
    return GoodsTypes;
}

struct TestHost::DbEnv {
    jxctest::TempSqliteDb db;
};

TestHost::TestHost() : env_(std::make_unique<DbEnv>())
{
    Operator.OperatorId = 1;
    Operator.OperatorCode = QStringLiteral("001");
    Operator.OperatorName = QStringLiteral("系统管理员");
    dbFile_ = env_->db.Path();
    plugin::IntfPtr<host::db::DbService> service = env_->db.NewService();
    db_ = service.Get();
    RebuildHostServices();
}

TestHost::~TestHost()
{
    dict_.Reset();
    rights_.Reset();
    db_.Reset();
}

template <class T>
T* TestHost::Hand(const char* getter, T* service)
{
    ++calls_[QLatin1String(getter)];
    if (service)
        service->AddRef();
    return service;
}

const plugin::TOperator* TestHost::GetOperator()
{
    ++calls_[QStringLiteral("GetOperator")];
    return &Operator;
}

plugin::ILogIntf* TestHost::GetMessage() { return Hand<plugin::ILogIntf>("GetMessage", &Log); }
plugin::IIniIntf* TestHost::GetIni() { return Hand<plugin::IIniIntf>("GetIni", &Ini); }
plugin::IPrinterIntf* TestHost::GetPrinter() { return Hand<plugin::IPrinterIntf>("GetPrinter", &Printer); }
plugin::IMainIntf* TestHost::GetUi() { return Hand<plugin::IMainIntf>("GetUi", &Ui); }
plugin::IDbIntf* TestHost::GetDb() { return Hand("GetDb", db_.Get()); }
plugin::IDictIntf* TestHost::GetDict() { return Hand("GetDict", dict_.Get()); }
plugin::IRightManagerIntf* TestHost::GetRights() { return Hand("GetRights", rights_.Get()); }

void TestHost::RebuildHostServices()
{
    if (!customDict_) {
        dict_.Reset();
        if (db_)
            dict_ = new host::DictService(db_.Get());
    }
    if (!customRights_) {
        rights_.Reset();
        if (db_)
            rights_ = new host::RightsService(db_.Get(), Operator.OperatorId);
    }
}

void TestHost::SetOperator(const plugin::TOperator& op)
{
    Operator = op;
    RebuildHostServices();
}

void TestHost::SetDb(plugin::IDbIntf* db)
{
    db_ = db;
    RebuildHostServices();
}

void TestHost::SetDict(plugin::IDictIntf* dict)
{
    customDict_ = true;
    dict_ = dict;
}

void TestHost::SetRights(plugin::IRightManagerIntf* rights)
{
    customRights_ = true;
    rights_ = rights;
}

} // namespace testsupport
