#pragma once
// The list window on the test host's SQLite database, driven through the scripted application;
// each test seeds the bills, lines, goods and storages it needs.
#include "billlist/WorkWindow.h"
#include "tests/support/ModuleHarness.h"

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace billlisttest {

class WorkWindowTest : public ::testing::Test {
protected:
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    testsupport::ModuleScope scope{app, &host};

    void SetUp() override;
    void TearDown() override;

    void Exec(const QString& sql);
    struct Bill {
        int id;
        QString no;
        QDateTime date;
        int status = 0;
        int audit = 0;
        QString src = QStringLiteral("S01");
        QString des = QStringLiteral("S02");
        int deleted = 0;
    };
    void AddBill(const Bill& b);
    void AddLine(int id, const Bill& b, const QString& goodsCode, const QString& count, const QString& price,
                 int deleted = 0);
    void AddGoods(int id, const QString& code, const QString& name, const QString& type,
                  const QString& barCode = {});
    void AllowType(const QString& type);

    // The window after InitWindow and RefreshData, as the host opens it.
    TWorkWindowForm& Open();
    TWorkWindowForm& Window() { return *window; }

    // The bill numbers the list shows, in order.
    QStringList ListedBills();
    // Clicks a bill's number cell with the mouse, as a user does.
    void ClickBill(int record);
    QString LinesFooter(); // the footer text under 商品编号

    template <class Dialog>
    void OnDialog(std::function<void(Dialog&)> action)
    {
        app.OnDialog<Dialog>(std::move(action));
    }

    std::unique_ptr<TWorkWindowForm> window;
};

} // namespace billlisttest
