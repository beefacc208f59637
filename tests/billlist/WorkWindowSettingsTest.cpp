// The list window keeps, per operator, the widths the operator gave its columns and the dates of
// the last search, and opens with them next time; another operator's window is its own.
#include "tests/billlist/WorkWindowFixture.h"

#include "platform/DateEdit.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"

#include <QPushButton>

namespace billlisttest {
namespace {

class WorkWindowSettingsTest : public WorkWindowTest {
protected:
    void Reopen()
    {
        window->DoneWindow();
        window.reset();
        Open();
    }
};

TEST_F(WorkWindowSettingsTest, WidthsAndTheLastSearchsDatesComeBackForTheSameOperatorOnly)
{
    const QDate day = QDate::currentDate();
    AddBill({1, "DB-OLD", QDateTime(day.addDays(-10), QTime(8, 0))});
    AddBill({2, "DB-NEW", QDateTime(day, QTime(8, 0))});
    TWorkWindowForm& w = Open();
    EXPECT_EQ(ListedBills(), QStringList{"DB-NEW"}); // the opening list: from today
    const int defaultWidth = w.colBillNo->Width();
    w.colBillNo->SetWidth(defaultWidth + 55);
    w.dtBegindate->SetDate(day.addDays(-20));
    w.btnQry->click();
    ASSERT_EQ(ListedBills().size(), 2);

    Reopen();
    EXPECT_EQ(window->colBillNo->Width(), defaultWidth + 55);
    EXPECT_EQ(window->dtBegindate->Date(), day.addDays(-20));
    EXPECT_EQ(ListedBills().size(), 2);

    host.Operator.OperatorCode = QStringLiteral("002");
    Reopen();
    EXPECT_EQ(window->colBillNo->Width(), defaultWidth);
    EXPECT_EQ(window->dtBegindate->Date(), day);
    EXPECT_EQ(ListedBills(), QStringList{"DB-NEW"});
}

} // namespace
} // namespace billlisttest
