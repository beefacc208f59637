#pragma once
// The lookup tests run the dialogs on the test host's SQLite database through the scripted
// application; each test seeds the rows it needs.
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace lookuptest {

class LookupTest : public ::testing::Test {
protected:
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    testsupport::ModuleScope scope{app, &host};

    void SetUp() override;

    void Exec(const QString& sql);
    // Goods in use and not deleted unless told otherwise.
    struct Goods {
        int id;
        QString code;
        QString name;
        QString type = QStringLiteral("01");
        QString pyCode = {};
        int useFlag = 1;
        int deleted = 0;
        QString lastInPrice = QStringLiteral("0");
        QString unit = QStringLiteral("52101");
    };
    void AddGoods(const Goods& g);
    void AddStock(int id, const QString& storageCode, const QString& goodsCode, const QString& leftCount);
    void AddStorage(int id, int parentId, const QString& code, const QString& name, int useFlag = 1);
    // The operator may handle goods of this type.
    void AllowType(const QString& type);

    // Queues a dialog action for the next modal dialog, typed as the dialog class.
    template <class Dialog>
    void OnDialog(std::function<void(Dialog&)> action)
    {
        app.OnDialog<Dialog>(std::move(action));
    }
    // Makes a shown dialog the active window, as the user's desktop would: keys reach the
    // focused control and the form's key preview.
    static void Activate(QWidget& dialog);
};

} // namespace lookuptest
