#pragma once
// The bill editor on the test host's SQLite database, driven through the scripted application
// as a clerk drives it: keys to the focused control, clicks, the lookups answered inside their
// own modal loops. Each test checks the rows the database holds afterwards.
#include "billedit/FrmBillEdit.h"
#include "tests/support/ModuleHarness.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace billedittest {

// A test host whose wait hint also runs a probe, to look at the editor while the save is busy.
class ProbeHost : public testsupport::TestHost {
public:
    class ProbeUi : public testsupport::TestMain {
    public:
        void JXC_STDCALL ShowProgress(const QString& text) override
        {
            TestMain::ShowProgress(text);
            if (OnShowProgress)
                OnShowProgress();
        }
        std::function<void()> OnShowProgress;
    };
    plugin::IMainIntf* JXC_STDCALL GetUi() override
    {
        Probe.AddRef();
        return &Probe;
    }
    ProbeUi Probe;
};

class EditorTest : public ::testing::Test {
protected:
    testsupport::ScriptedApplication app;
    ProbeHost host;
    testsupport::ModuleScope scope{app, &host};

    void SetUp() override;
    void TearDown() override;

    void Exec(const QString& sql);
    QString Value(const QString& sql);
    // Goods of type 01 with stock in the given storage (S01 unless told).
    void AddGoods(int id, const QString& code, const QString& name, const QString& lastInPrice,
                  const QString& defaultInPrice = QStringLiteral("0"), const QString& storage = QStringLiteral("S01"));

    // A new editor for a new bill, or for the stored bill billNo.
    TBillEditFrm& NewEditor();
    TBillEditFrm& EditorFor(const QString& billNo);
    // Shows the editor modally; action runs once it is shown and must close it (or leave it to
    // the test's own Cancel). Returns the modal result.
    int Run(std::function<void(TBillEditFrm&)> action);

public:
    // Inside an action: keys and text to the focused control of the active window.
    static void Activate(QWidget& window);
    static QWidget* Focused();
    static void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    static void Type(const QString& text);

protected:
    // The next storage lookup picks its first storage with Enter, Enter (from the keyboard).
    void NextStorageByKeys();
    // The next goods lookup is left to pick its single match by itself.
    void NextGoodsAutoPick();
    // The next goods lookup is cancelled; rows receives how many goods it listed.
    void NextGoodsCancel(int* rows = nullptr);
    // Picks the two storages with their ellipsis buttons.
    void PickStorages(TBillEditFrm& f, const QString& out, const QString& in);
    // Picks goods with the quick-entry row and adds it with the quantity and price texts.
    void AddByQuickEntry(TBillEditFrm& f, const QString& code, const QString& count, const QString& price = {});

    // The lines as "code|name|count|price|amount", in grid order (pending line excluded).
    static QStringList LineTexts(TBillEditFrm& f);
    // Saved lines of a bill as "code|name|count|price|amount|operator", ordered by code.
    QStringList StoredLines(const QString& billNo);
    // Message texts shown by the host and by message boxes since the last call.
    QStringList TakeMessages();

    std::unique_ptr<TBillEditFrm> editor;
};

} // namespace billedittest
