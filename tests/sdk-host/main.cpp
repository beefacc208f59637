// A minimal host: loads the installed module through its two exports, hands it a small
// factory, opens the window, runs set-up, refresh and tear-down, closes it and checks that the
// module gave every reference back. Exit code 0 on success.
#include "platform/Application.h"
#include "platform/core/Currency.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/StyleRepository.h"
#include "plugin/DllWindowIntf.h"
#include "plugin/FactoryIntf.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLibrary>
#include <QMap>
#include <QToolBar>
#include <QWidget>
#include <cstdio>

namespace {

int g_failures = 0;

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "sdk-host: FAILED: %s\n", what);
        ++g_failures;
    }
}

// Counts references; the objects live on main's stack.
template <class Intf>
class Counted : public Intf {
public:
    plugin::HResult JXC_STDCALL QueryInterface(const plugin::Guid&, void** object) override
    {
        if (object)
            *object = nullptr;
        return plugin::E_NoInterface;
    }
    uint32_t JXC_STDCALL AddRef() override { return ++refs; }
    uint32_t JXC_STDCALL Release() override { return refs ? --refs : 0; }
    uint32_t refs = 0;
};

class Log : public Counted<plugin::ILogIntf> {
public:
    void JXC_STDCALL ShowMessage(const QString& text, int) override
    {
        std::fprintf(stderr, "sdk-host: message: %s\n", qPrintable(text));
        throw platform::EAbort();
    }
    void JXC_STDCALL ShowError(const QString& text, int) override
    {
        std::fprintf(stderr, "sdk-host: error: %s\n", qPrintable(text));
    }
};

class Ini : public Counted<plugin::IIniIntf> {
public:
    QString JXC_STDCALL ReadString(const QString& s, const QString& k, const QString& f, const QString& d) override
    {
        return values.value(f + u'/' + s + u'/' + k, d);
    }
    void JXC_STDCALL WriteString(const QString& s, const QString& k, const QString& v, const QString& f) override
    {
        values[f + u'/' + s + u'/' + k] = v;
    }
    QMap<QString, QString> values;
};

class Printer : public Counted<plugin::IPrinterIntf> {
public:
    void JXC_STDCALL PreviewComponent(QWidget*, int, const QString&, const QString&) override {}
    void JXC_STDCALL PrintComponent(QWidget*, int, const QString&, const QString&) override {}
};

class Ui : public Counted<plugin::IMainIntf> {
public:
    void JXC_STDCALL NotifySaved() override {}
    void JXC_STDCALL NotifySaveFailed() override {}
    void JXC_STDCALL ShowProgress(const QString&) override {}
    void JXC_STDCALL HideProgress() override {}
    platform::StyleRepository* JXC_STDCALL StyleRepository() override { return &styles; }
    platform::StyleRepository styles;
};

// No data: every query is empty.
class Db : public Counted<plugin::IDbIntf> {
public:
    platform::Dataset* JXC_STDCALL OpenQuery(const QString&) override { return new platform::Dataset; }
    void JXC_STDCALL ExecSql(const QString&) override {}
    QString JXC_STDCALL NextSequence(const QString&) override { return QStringLiteral("1"); }
    QVariant JXC_STDCALL NextCounter(const QString&, int) override { return 1; }
    QString JXC_STDCALL QueryValue(const QString&) override { return {}; }
    plugin::ObjectList* JXC_STDCALL LoadObjects(const QMetaObject*, const QString&) override { return nullptr; }
};

class Dict : public Counted<plugin::IDictIntf> {
public:
    QComboBox* JXC_STDCALL ComboFromSql(const QString&) override { return &combo; }
    QComboBox combo;
};

class Rights : public Counted<plugin::IRightManagerIntf> {
public:
    int JXC_STDCALL CanBrowse(const QString&) override { return 3; }
    int JXC_STDCALL CanOperate(const QString&) override { return 1; }
    QString JXC_STDCALL GoodsTypeList(int) override { return QStringLiteral("(0)"); }
};

class Factory : public Counted<plugin::IFactoryIntf> {
public:
    const plugin::TOperator* JXC_STDCALL GetOperator() override { return &op; }
    plugin::ILogIntf* JXC_STDCALL GetMessage() override { return Hand(&log); }
    plugin::IIniIntf* JXC_STDCALL GetIni() override { return Hand(&ini); }
    plugin::IPrinterIntf* JXC_STDCALL GetPrinter() override { return Hand(&printer); }
    plugin::IMainIntf* JXC_STDCALL GetUi() override { return Hand(&ui); }
    plugin::IDbIntf* JXC_STDCALL GetDb() override { return Hand(&db); }
    plugin::IDictIntf* JXC_STDCALL GetDict() override { return Hand(&dict); }
    plugin::IRightManagerIntf* JXC_STDCALL GetRights() override { return Hand(&rights); }

    template <class T>
    static T* Hand(T* t)
    {
        t->AddRef();
        return t;
    }
    uint32_t ServiceRefs() const
    {
        return log.refs + ini.refs + printer.refs + ui.refs + db.refs + dict.refs + rights.refs;
    }

    plugin::TOperator op{1, QStringLiteral("001"), QStringLiteral("sdk")};
    Log log;
    Ini ini;
    Printer printer;
    Ui ui;
    Db db;
    Dict dict;
    Rights rights;
};

// Message boxes answer OK (or the safest choice), dialogs are rejected, nothing is shown.
class HostApplication : public platform::TApplication {
public:
    int MessageBox(const QString& text, const QString&, int buttons, platform::MessageIcon) override
    {
        ++boxes;
        std::fprintf(stderr, "sdk-host: box: %s\n", qPrintable(text));
        return (buttons & platform::mbCancel) ? platform::mbCancel : (buttons & platform::mbNo) ? platform::mbNo : platform::mbOK;
    }
    void ShowMessage(const QString& text) override { MessageBox(text, {}, platform::mbOK, platform::MessageIcon::None); }
    int ExecModal(QDialog&) override { return QDialog::Rejected; }
    bool ExecSaveDialog(platform::FileDialogOptions&) override { return false; }
    bool ExecOpenDialog(platform::FileDialogOptions&) override { return false; }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void HandleException(const std::exception& e) override
    {
        ++exceptions;
        std::fprintf(stderr, "sdk-host: unhandled: %s\n", e.what());
    }
    QString Title() const override { return QStringLiteral("sdk-host"); }
    int boxes = 0;
    int exceptions = 0;
};

class HostScreen : public platform::TScreen {
public:
    QStringList Printers() const override { return {}; }
    QList<QWidget*> TopLevelWindows() const override { return QApplication::topLevelWidgets(); }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    platform::RegisterValueTypes(); // before the module registers them from a library it may unload
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(JXC_MODULE);

    QLibrary library(path);
    if (!library.load()) {
        std::fprintf(stderr, "sdk-host: cannot load %s: %s\n", qPrintable(path), qPrintable(library.errorString()));
        return 2;
    }
    auto create = reinterpret_cast<CreateWindowProc>(library.resolve("CreateWindow"));
    auto close = reinterpret_cast<CloseWindowProc>(library.resolve("CloseWindow"));
    if (!create || !close) {
        std::fprintf(stderr, "sdk-host: %s lacks CreateWindow or CloseWindow\n", qPrintable(path));
        return 2;
    }

    // The core library links: datasets are the host's to make.
    platform::Dataset probe({{QStringLiteral("ID"), platform::FieldType::Integer}});
    Check(probe.FieldCount() == 1, "platform core dataset");

    HostApplication app;
    HostScreen screen;
    Factory factory;
    {
        plugin::TDllWindowIntf* window = create(&app, &screen, &factory);
        Check(window != nullptr && window->Widget() != nullptr, "CreateWindow returns a window");
        Check(factory.refs == 1, "the module holds one reference while the window is open");
        if (window && window->Widget()) {
            QWidget* w = window->Widget();
            w->setProperty("Tag", 3105);
            w->setProperty("UnitCode", QStringLiteral("SDK"));
            auto* bar = w->findChild<QToolBar*>(QStringLiteral("dxToolBar"));
            Check(bar != nullptr, "the plug-in toolbar is there to merge");
            try {
                window->InitWindow();
                window->RefreshData();
                window->DoneWindow();
            } catch (const platform::Exception& e) {
                std::fprintf(stderr, "sdk-host: window operation failed: %s\n", qPrintable(e.Message()));
                ++g_failures;
            }
        }
        close();
        close();
    }
    Check(factory.refs == 0, "CloseWindow releases the host reference");
    Check(factory.ServiceRefs() == 0, "every service reference was given back");
    Check(app.exceptions == 0, "no unhandled exception");
    if (g_failures == 0)
        std::printf("sdk-host: ok\n");
    return g_failures == 0 ? 0 : 1;
}
