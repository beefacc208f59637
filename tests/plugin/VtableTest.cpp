// The host contract is a binary one: a host built elsewhere calls services and windows by slot
// number. These calls go through the raw vtables, not through C++ names.
#include "plugin/DllWindow.h"
#include "tests/support/ModuleHarness.h"

#include "platform/core/Dataset.h"

#include <gtest/gtest.h>
#include <memory>

using namespace testsupport;

namespace {

void* Slot(const void* object, int index)
{
    return (*reinterpret_cast<void* const* const*>(object))[index];
}

// Calls entry `index` of the object's vtable with the parameter types of Sig, exactly as
// declared on the interface.
template <class Sig>
struct SlotCall;
template <class R, class... A>
struct SlotCall<R(A...)> {
    template <class Obj, class... Args>
    static R Call(Obj* object, int index, Args&&... args)
    {
        using Fn = R(JXC_STDCALL*)(Obj*, A...);
        return reinterpret_cast<Fn>(Slot(object, index))(object, std::forward<Args>(args)...);
    }
};

template <class Sig, class Obj, class... Args>
auto CallSlot(Obj* object, int index, Args&&... args)
{
    return SlotCall<Sig>::Call(object, index, std::forward<Args>(args)...);
}

using Text = const QString&;

} // namespace

TEST(VtableSlots, FactoryGettersSitAtTheirNumbers)
{
    TestHost host;
    plugin::IFactoryIntf* f = &host;

    EXPECT_EQ((CallSlot<uint32_t()>(f, 1)), 1u); // AddRef
    EXPECT_EQ((CallSlot<uint32_t()>(f, 2)), 0u); // Release
    EXPECT_EQ((CallSlot<const plugin::TOperator*()>(f, 3)), &host.Operator);

    auto* log = CallSlot<plugin::ILogIntf*()>(f, 6);
    EXPECT_EQ(log, &host.Log);
    auto* ini = CallSlot<plugin::IIniIntf*()>(f, 7);
    EXPECT_EQ(ini, &host.Ini);
    auto* printer = CallSlot<plugin::IPrinterIntf*()>(f, 9);
    EXPECT_EQ(printer, &host.Printer);
    auto* ui = CallSlot<plugin::IMainIntf*()>(f, 10);
    EXPECT_EQ(ui, &host.Ui);
    auto* db = CallSlot<plugin::IDbIntf*()>(f, 12);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db, host.GetDb());
    db->Release();
    EXPECT_EQ(host.Calls(QStringLiteral("GetDb")), 2);

    // The database service answers at its own numbers: 14 ExecSql, 30 QueryValue, 11 OpenQuery.
    CallSlot<void(Text)>(db, 14, QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, DELETED) values (7, 'DB-1', 0)"));
    EXPECT_EQ((CallSlot<QString(Text)>(db, 30, QStringLiteral("select count(*) from Sto_AdjustBillMain where DELETED= 0"))),
              QStringLiteral("1"));
    std::unique_ptr<platform::Dataset> ds(
        CallSlot<platform::Dataset*(Text)>(db, 11, QStringLiteral("select ID, BillNo from Sto_AdjustBillMain")));
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("billno")).AsString(), QStringLiteral("DB-1"));
    db->Release();
    auto* dict = CallSlot<plugin::IDictIntf*()>(f, 14);
    auto* rights = CallSlot<plugin::IRightManagerIntf*()>(f, 15);
    EXPECT_EQ(host.Calls(QStringLiteral("GetDict")), 1);
    EXPECT_EQ(host.Calls(QStringLiteral("GetRights")), 1);

    // Every getter handed out one reference.
    EXPECT_EQ(host.Log.RefCount(), 1u);
    EXPECT_EQ(host.Ini.RefCount(), 1u);
    EXPECT_EQ(host.Printer.RefCount(), 1u);
    EXPECT_EQ(host.Ui.RefCount(), 1u);
    for (plugin::IInterface* i : std::initializer_list<plugin::IInterface*>{log, ini, printer, ui, dict, rights})
        if (i)
            CallSlot<uint32_t()>(i, 2);
    EXPECT_EQ(host.Log.RefCount(), 0u);
    EXPECT_EQ(host.Ui.RefCount(), 0u);

    // The reserved numbers are callable placeholders.
    CallSlot<void()>(f, 4);
    CallSlot<void()>(f, 5);
    CallSlot<void()>(f, 13);
}

TEST(VtableSlots, ServiceOperationsSitAtTheirNumbers)
{
    TestHost host;

    CallSlot<void(Text, int)>(static_cast<plugin::ILogIntf*>(&host.Log), 6, QStringLiteral("保存数据失败\r\n"), 0);
    EXPECT_EQ(host.Log.Errors, QStringList{QStringLiteral("保存数据失败\r\n")});
    EXPECT_THROW((CallSlot<void(Text, int)>(static_cast<plugin::ILogIntf*>(&host.Log), 5, QStringLiteral("不能为空！"), 0)),
                 platform::EAbort);
    EXPECT_EQ(host.Log.Messages, QStringList{QStringLiteral("不能为空！")});

    plugin::IIniIntf* ini = &host.Ini;
    CallSlot<void(Text, Text, Text, Text)>(ini, 5, QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("17"),
                   QStringLiteral("Print.ini"));
    EXPECT_EQ((CallSlot<QString(Text, Text, Text, Text)>(ini, 3, QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"),
                                 QStringLiteral("Print.ini"), QStringLiteral("13"))),
              QStringLiteral("17"));

    plugin::IMainIntf* ui = &host.Ui;
    CallSlot<void(Text)>(ui, 6, QStringLiteral("正在保存..."));
    CallSlot<void()>(ui, 7);
    CallSlot<void()>(ui, 4);
    CallSlot<void()>(ui, 5);
    EXPECT_EQ(host.Ui.Events, QStringList({QStringLiteral("ShowProgress:正在保存..."), QStringLiteral("HideProgress"),
                                           QStringLiteral("NotifySaved"), QStringLiteral("NotifySaveFailed")}));
    EXPECT_EQ((CallSlot<platform::StyleRepository*()>(ui, 13)), &host.Ui.Styles);

    plugin::IPrinterIntf* printer = &host.Printer;
    QWidget grid;
    CallSlot<void(QWidget*, int, Text, Text)>(printer, 3, static_cast<QWidget*>(&grid), 0, QStringLiteral("U1"), QStringLiteral("FormName"));
    CallSlot<void(QWidget*, int, Text, Text)>(printer, 4, static_cast<QWidget*>(&grid), 0, QStringLiteral("U1"), QStringLiteral("FormName"));
    ASSERT_EQ(host.Printer.Calls.size(), 2);
    EXPECT_EQ(host.Printer.Calls[0].operation, QStringLiteral("PreviewComponent"));
    EXPECT_EQ(host.Printer.Calls[1].operation, QStringLiteral("PrintComponent"));
    EXPECT_EQ(host.Printer.Calls[1].formName, QStringLiteral("FormName"));

    TestRights rights;
    rights.Browse[QStringLiteral("7")] = 2;
    rights.Operate[QStringLiteral("7")] = 1;
    plugin::IRightManagerIntf* r = &rights;
    EXPECT_EQ((CallSlot<int(Text)>(r, 20, QStringLiteral("7"))), 2);
    EXPECT_EQ((CallSlot<int(Text)>(r, 24, QStringLiteral("7"))), 1);
    EXPECT_EQ((CallSlot<QString(int)>(r, 25, 5)), rights.GoodsTypes);
    EXPECT_EQ(rights.Calls.last(), QStringLiteral("GoodsTypeList:5"));
}

// The window's operations use the compiler's member calling convention; on 32-bit Windows that
// is not the free-function one this test calls through.
#if !(defined(_WIN32) && !defined(_WIN64))
TEST(VtableSlots, WindowOperationsSitInSlotOrder)
{
    ScriptedApplication app;
    TestHost host;
    ModuleScope scope(app, &host);
    TDllWindowForm w;
    plugin::TDllWindowIntf* intf = &w;

    // Operations 1 to 16 are vtable entries 0 to 15, the widget 16.
    CallSlot<void(bool)>(intf, 0, true);
    EXPECT_TRUE(w.Modified);
    EXPECT_TRUE((CallSlot<bool()>(intf, 1)));
    CallSlot<void(int16_t)>(intf, 2, int16_t(1234));
    EXPECT_EQ((CallSlot<int16_t()>(intf, 3)), 1234);
    CallSlot<void()>(intf, 4);
    EXPECT_FALSE((CallSlot<bool()>(intf, 5)));
    EXPECT_EQ(app.Boxes().size(), 1);
    EXPECT_FALSE((CallSlot<bool()>(intf, 8)));
    CallSlot<void()>(intf, 14);
    EXPECT_NE(w.CaptionTimer, nullptr);
    CallSlot<void()>(intf, 15);
    EXPECT_EQ(w.CaptionTimer, nullptr);
    EXPECT_EQ((CallSlot<QWidget*()>(intf, 16)), static_cast<QWidget*>(&w));
}
#endif
