// The factory hands out counted references and keeps its own until it goes.
#include "host/services/Factory.h"
#include "host/services/IniService.h"
#include "host/services/MainService.h"
#include "host/services/MessageService.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using plugin::IntfPtr;

// A log service that says when it is destroyed.
class ProbeLog : public plugin::RefCounted<plugin::ILogIntf> {
public:
    explicit ProbeLog(bool* gone) : gone_(gone) {}
    void JXC_STDCALL ShowMessage(const QString&, int) override {}
    void JXC_STDCALL ShowError(const QString&, int) override {}

protected:
    ~ProbeLog() override { *gone_ = true; }

private:
    bool* gone_;
};

TEST(Factory, GettersGiveNewReferencesThatTheCallerReleases)
{
    QTemporaryDir dir;
    auto* ini = new host::IniService(dir.path());
    auto* ui = new host::MainService();
    host::FactoryServices s;
    s.ini = ini;
    s.ui = ui;
    IntfPtr<host::Factory> factory(new host::Factory({7, QStringLiteral("001"), QStringLiteral("张三")}, std::move(s)));
    EXPECT_EQ(ini->RefCount(), 1u); // the factory's own

    {
        auto a = IntfPtr<plugin::IIniIntf>::Adopt(factory->GetIni());
        auto b = IntfPtr<plugin::IIniIntf>::Adopt(factory->GetIni());
        EXPECT_EQ(a.Get(), static_cast<plugin::IIniIntf*>(ini));
        EXPECT_EQ(a, b);
        EXPECT_EQ(ini->RefCount(), 3u);
        auto u = IntfPtr<plugin::IMainIntf>::Adopt(factory->GetUi());
        EXPECT_EQ(ui->RefCount(), 2u);
    }
    EXPECT_EQ(ini->RefCount(), 1u);
    EXPECT_EQ(ui->RefCount(), 1u);
}

TEST(Factory, OperatorIsTheLoggedInOneAndMissingServicesAreNull)
{
    IntfPtr<host::Factory> factory(new host::Factory({42, QStringLiteral("A01"), QStringLiteral("李四")}, {}));
    const plugin::TOperator* op = factory->GetOperator();
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->OperatorId, 42);
    EXPECT_EQ(op->OperatorCode, QStringLiteral("A01"));
    EXPECT_EQ(op->OperatorName, QStringLiteral("李四"));
    EXPECT_EQ(factory->GetDb(), nullptr);
    EXPECT_EQ(factory->GetRights(), nullptr);
}

TEST(Factory, AServiceLivesWhileAnyoneHoldsIt)
{
    bool gone = false;
    IntfPtr<plugin::ILogIntf> kept;
    {
        host::FactoryServices s;
        s.log = new ProbeLog(&gone);
        IntfPtr<host::Factory> factory(new host::Factory({}, std::move(s)));
        kept = IntfPtr<plugin::ILogIntf>::Adopt(factory->GetMessage());
    }
    EXPECT_FALSE(gone) << "the module still holds the service";
    kept.Reset();
    EXPECT_TRUE(gone);
}

} // namespace
