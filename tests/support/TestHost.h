#pragma once
// A recording host for tests: an IFactoryIntf with every service. The objects belong to the
// test (they never delete themselves); their reference counts are observable, and a Release
// below zero is recorded as a fault instead of wrapping round.
#include "platform/StyleRepository.h"
#include "plugin/FactoryIntf.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QPointer>
#include <memory>

namespace testsupport {

template <class Intf>
class Counted : public Intf {
public:
    plugin::HResult JXC_STDCALL QueryInterface(const plugin::Guid&, void** object) override
    {
        if (object)
            *object = nullptr;
        return plugin::E_NoInterface;
    }
    uint32_t JXC_STDCALL AddRef() override { return ++refs_; }
    uint32_t JXC_STDCALL Release() override
    {
        if (refs_ == 0) {
            ++overReleases_;
            return 0;
        }
        return --refs_;
    }
    uint32_t RefCount() const { return refs_; }
    int OverReleases() const { return overReleases_; }

protected:
    ~Counted() = default;

private:
    uint32_t refs_ = 0;
    int overReleases_ = 0;
};

// ShowMessage records and throws platform::EAbort, as the host's does; ShowError records.
class TestLog : public Counted<plugin::ILogIntf> {
public:
    void JXC_STDCALL ShowMessage(const QString& text, int flags) override;
    void JXC_STDCALL ShowError(const QString& text, int flags) override;
    QStringList Messages;
    QStringList Errors;
};

// Ini values in memory, per file, section and key.
class TestIni : public Counted<plugin::IIniIntf> {
public:
    QString JXC_STDCALL ReadString(const QString& section, const QString& key, const QString& fileName,
                                   const QString& defaultValue) override;
    void JXC_STDCALL WriteString(const QString& section, const QString& key, const QString& value,
                                 const QString& fileName) override;
    void Set(const QString& fileName, const QString& section, const QString& key, const QString& value);
    bool Has(const QString& fileName, const QString& section, const QString& key) const;
    QString Value(const QString& fileName, const QString& section, const QString& key) const;
    int Reads = 0;
    int Writes = 0;

private:
    static QString KeyOf(const QString& fileName, const QString& section, const QString& key);
    QMap<QString, QString> values_;
};

class TestPrinter : public Counted<plugin::IPrinterIntf> {
public:
    struct Call {
        QString operation; // "PreviewComponent" or "PrintComponent"
        QPointer<QWidget> component;
        int flags = 0;
        QString unitCode;
        QString formName;
    };
    void JXC_STDCALL PreviewComponent(QWidget* component, int flags, const QString& unitCode,
                                      const QString& formName) override;
    void JXC_STDCALL PrintComponent(QWidget* component, int flags, const QString& unitCode,
                                    const QString& formName) override;
    QList<Call> Calls;
};

// Records its calls in order: "NotifySaved", "NotifySaveFailed", "ShowProgress:<text>",
// "HideProgress"; holds the shared style repository.
class TestMain : public Counted<plugin::IMainIntf> {
public:
    void JXC_STDCALL NotifySaved() override { Events << QStringLiteral("NotifySaved"); }
    void JXC_STDCALL NotifySaveFailed() override { Events << QStringLiteral("NotifySaveFailed"); }
    void JXC_STDCALL ShowProgress(const QString& text) override { Events << QStringLiteral("ShowProgress:") + text; }
    void JXC_STDCALL HideProgress() override { Events << QStringLiteral("HideProgress"); }
    platform::StyleRepository* JXC_STDCALL StyleRepository() override
    {
        ++StyleRepositoryCalls;
        return &Styles;
    }
    QStringList Events;
    platform::StyleRepository Styles;
    int StyleRepositoryCalls = 0;
};

// Rights and dictionary lists answered from tables a test fills: CanBrowse / CanOperate by
// plug-in id text (0 when absent), every call recorded. Used where the host's own services
// (which read the host tables) are not wanted.
class TestRights : public Counted<plugin::IRightManagerIntf> {
public:
    int JXC_STDCALL CanBrowse(const QString& pluginId) override;
    int JXC_STDCALL CanOperate(const QString& pluginId) override;
    QString JXC_STDCALL GoodsTypeList(int operatorId) override;
    QMap<QString, int> Browse;
    QMap<QString, int> Operate;
    QString GoodsTypes = QStringLiteral("(select GoodsType from Bas_GoodsType)");
    QStringList Calls; // "CanBrowse:<id>", "CanOperate:<id>", "GoodsTypeList:<operator>"
};

class TestHost : public Counted<plugin::IFactoryIntf> {
public:
    // Database, dictionary and rights as the real host has them, over a new temporary SQLite
    // database built from the host's schema.
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    const plugin::TOperator* JXC_STDCALL GetOperator() override;
    plugin::ILogIntf* JXC_STDCALL GetMessage() override;
    plugin::IIniIntf* JXC_STDCALL GetIni() override;
    plugin::IPrinterIntf* JXC_STDCALL GetPrinter() override;
    plugin::IMainIntf* JXC_STDCALL GetUi() override;
    plugin::IDbIntf* JXC_STDCALL GetDb() override;
    plugin::IDictIntf* JXC_STDCALL GetDict() override;
    plugin::IRightManagerIntf* JXC_STDCALL GetRights() override;

    // A null service makes its getter return nullptr. Setting the operator also rebuilds the
    // host's rights service for the new operator.
    void SetOperator(const plugin::TOperator& op);
    void SetDb(plugin::IDbIntf* db);
    void SetDict(plugin::IDictIntf* dict);
    void SetRights(plugin::IRightManagerIntf* rights);

    // How often each getter was called ("GetDb", "GetUi", ...).
    int Calls(const QString& getter) const { return calls_.value(getter); }
    // The database file behind the default database service ("" when none).
    QString DatabaseFile() const { return dbFile_; }

    plugin::TOperator Operator;
    TestLog Log;
    TestIni Ini;
    TestPrinter Printer;
    TestMain Ui;

private:
    template <class T>
    T* Hand(const char* getter, T* service);
    void RebuildHostServices();

    QMap<QString, int> calls_;
    plugin::IntfPtr<plugin::IDbIntf> db_;
    plugin::IntfPtr<plugin::IDictIntf> dict_;
    plugin::IntfPtr<plugin::IRightManagerIntf> rights_;
    bool customDict_ = false;
    bool customRights_ = false;
    QString dbFile_;
    struct DbEnv;
    std::unique_ptr<DbEnv> env_;
};

} // namespace testsupport
