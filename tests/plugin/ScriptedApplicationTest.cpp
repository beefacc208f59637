// The scripted application drives dialogs inside their real modal loops; a test that forgets
// to script something must fail rather than hang.
#include "platform/Component.h"
#include "platform/core/Exception.h"
#include "tests/support/ModuleHarness.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class ScriptedApplicationTest : public ::testing::Test {
protected:
    ScriptedApplication app;
    TestHost host;
    ModuleScope scope{app, &host};
};

} // namespace

TEST_F(ScriptedApplicationTest, QueuedAnswersAndUnansweredQuestions)
{
    app.QueueAnswer(platform::mbNo);
    EXPECT_EQ(platform::Application()->MessageBox(QStringLiteral("是否审核？"), QStringLiteral("提示 "), platform::mbYesNo,
                                                  platform::MessageIcon::Question),
              platform::mbNo);
    EXPECT_TRUE(app.Failures().isEmpty());
    // A notice needs no answer.
    EXPECT_EQ(platform::Application()->MessageBox(QStringLiteral("审核成功！"), QStringLiteral("提示"), platform::mbOK,
                                                  platform::MessageIcon::Information),
              platform::mbOK);
    EXPECT_TRUE(app.Failures().isEmpty());
    // A question nobody answered takes the safe way out and is reported.
    EXPECT_EQ(platform::Application()->MessageBox(QStringLiteral("是否删除？"), QStringLiteral("提示 "), platform::mbYesNo,
                                                  platform::MessageIcon::Question),
              platform::mbNo);
    EXPECT_EQ(app.Failures().size(), 1);
    ASSERT_EQ(app.Boxes().size(), 3);
    EXPECT_EQ(app.Boxes()[0].caption, QStringLiteral("提示 "));
    // An answer the box does not offer is reported too.
    app.QueueAnswer(platform::mbYes);
    platform::Application()->MessageBox(QStringLiteral("x"), QStringLiteral("提示"), platform::mbOKCancel,
                                        platform::MessageIcon::None);
    EXPECT_EQ(app.Failures().size(), 2);
}

TEST_F(ScriptedApplicationTest, ActionRunsInsideTheShownDialogAndTimersFire)
{
    platform::Form form;
    auto* edit = new QLineEdit(&form);
    QObject::connect(edit, &QLineEdit::returnPressed, &form, &QDialog::accept);
    int ticks = 0;
    bool shownWhenRun = false;
    app.QueueDialog([&](QDialog& d) {
        shownWhenRun = d.isVisible();
        // A timer of the dialog's own runs while the modal loop is up.
        auto* t = new QTimer(&d);
        QObject::connect(t, &QTimer::timeout, &d, [&, t] {
            if (++ticks == 3) {
                t->stop();
                edit->setText(QStringLiteral("DB-20240101-0001"));
                emit edit->returnPressed();
            }
        });
        t->start(1);
    });
    EXPECT_EQ(form.ShowModal(), QDialog::Accepted);
    EXPECT_TRUE(shownWhenRun);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(edit->text(), QStringLiteral("DB-20240101-0001"));
    ASSERT_EQ(app.Dialogs().size(), 1);
    EXPECT_EQ(app.Dialogs()[0].result, QDialog::Accepted);
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST_F(ScriptedApplicationTest, NestedDialogsTakeTheirActionsInOrder)
{
    platform::Form outer;
    outer.setWindowTitle(QStringLiteral("调拨单"));
    platform::Form inner;
    inner.setWindowTitle(QStringLiteral("仓库检索"));
    int innerResult = -1;
    app.SetDialogTimeout(300);
    app.QueueDialog([&](QDialog& d) {
        innerResult = inner.ShowModal(); // takes the second action
        d.accept();
    });
    app.QueueDialog([](QDialog& d) {
        // Outlives the outer dialog's timeout: only the innermost dialog's clock runs.
        QTimer::singleShot(500, &d, &QDialog::accept);
    });
    EXPECT_EQ(outer.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(innerResult, QDialog::Rejected); // the inner one timed out
    ASSERT_EQ(app.Dialogs().size(), 2);
    EXPECT_EQ(app.Dialogs()[0].title, QStringLiteral("调拨单"));
    EXPECT_FALSE(app.Dialogs()[0].timedOut);
    EXPECT_TRUE(app.Dialogs()[1].timedOut);
    EXPECT_EQ(app.Failures().size(), 1);
}

TEST_F(ScriptedApplicationTest, UnscriptedOrFailingDialogsAreRejectedAndReported)
{
    platform::Form form;
    EXPECT_EQ(form.ShowModal(), QDialog::Rejected);
    EXPECT_EQ(app.Failures().size(), 1);
    EXPECT_FALSE(app.Dialogs()[0].scripted);

    app.QueueDialog([](QDialog&) { throw platform::Exception(QStringLiteral("坏动作")); });
    EXPECT_EQ(form.ShowModal(), QDialog::Rejected);
    ASSERT_EQ(app.Failures().size(), 2);
    EXPECT_TRUE(app.Failures()[1].contains(QStringLiteral("坏动作")));

    app.SetDialogTimeout(50);
    app.QueueDialog([](QDialog&) {});
    EXPECT_EQ(form.ShowModal(), QDialog::Rejected);
    EXPECT_TRUE(app.Dialogs().last().timedOut);
    EXPECT_EQ(app.Failures().size(), 3);
}

TEST_F(ScriptedApplicationTest, FileDialogsTakeQueuedNamesAndAppendTheDefaultExtension)
{
    platform::FileDialogOptions o;
    o.title = QStringLiteral("另存为Excel");
    o.filter = QStringLiteral("Mircrosoft Excel工作簿(*.xls)|*.xls");
    o.defaultExt = QStringLiteral("xls");
    o.fileName = QStringLiteral("调拨单");
    app.QueueFileName(QStringLiteral("/tmp/bills"));
    app.QueueFileName(QStringLiteral("/tmp/bills.xlsx"));
    app.QueueFileCancel();
    ASSERT_TRUE(platform::Application()->ExecSaveDialog(o));
    EXPECT_EQ(o.fileName, QStringLiteral("/tmp/bills.xls"));
    ASSERT_TRUE(platform::Application()->ExecSaveDialog(o));
    EXPECT_EQ(o.fileName, QStringLiteral("/tmp/bills.xlsx"));
    EXPECT_FALSE(platform::Application()->ExecOpenDialog(o));
    EXPECT_EQ(o.fileName, QStringLiteral("/tmp/bills.xlsx"));
    ASSERT_EQ(app.FileDialogs().size(), 3);
    EXPECT_EQ(app.FileDialogs()[0].options.fileName, QStringLiteral("调拨单")); // as presented
    EXPECT_FALSE(app.FileDialogs()[2].save);
    EXPECT_TRUE(app.Clean());
    EXPECT_FALSE(platform::Application()->ExecOpenDialog(o));
    EXPECT_FALSE(app.Clean());
}
