#pragma once
// Small test windows for the find dialog and the window commands: a window base owning grids,
// tree lists, spreadsheet books and report sheets in a chosen order, over the scripted
// application and the recording test host.
#include "find/FindWindow.h"
#include "platform/DataSource.h"
#include "platform/Grid.h"
#include "platform/TreeList.h"
#include "platform/core/Dataset.h"
#include "plugin/DllWindow.h"
#include "tests/support/ModuleHarness.h"

#include <QApplication>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace findtest {

// Goods rows: code, name, quantity, price, date and a remark the grid keeps hidden.
class GoodsData {
public:
    platform::Dataset data{{{"Code", platform::FieldType::Text},
                            {"Name", platform::FieldType::Text},
                            {"Qty", platform::FieldType::Float},
                            {"Price", platform::FieldType::Currency},
                            {"BillDate", platform::FieldType::DateTime},
                            {"Remark", platform::FieldType::Text}}};
    platform::DataSource source;

    GoodsData() { source.SetDataSet(&data); }

    // The one place rows are made: null stays null.
    void Add(const QVariant& code, const QVariant& name, const QVariant& qty = {}, const QVariant& price = {},
             const QVariant& date = {}, const QVariant& remark = {})
    {
        data.Append();
        const QVariant values[] = {code, name, qty, price, date, remark};
        for (int i = 0; i < 6; ++i)
            if (values[i].isValid())
                data.FieldAt(i).SetValue(values[i]);
        data.Post();
    }
    // n rows "G001".., named "商品1"..., quantities 1001...
    void AddNumbered(int n)
    {
        for (int i = 1; i <= n; ++i)
            Add(QStringLiteral("G%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("商品%1").arg(i), 1000 + i);
    }
};

// A grid over the goods data: banded unless told otherwise; the remark column hidden.
inline platform::Grid* MakeGrid(QWidget* parent, GoodsData& goods, bool banded = true)
{
    auto* grid = new platform::Grid(parent);
    platform::TableView* view = banded ? grid->CreateBandedTableView(QStringLiteral("view"))
                                       : grid->CreateTableView(QStringLiteral("view"));
    const char* fields[] = {"Code", "Name", "Qty", "Price", "BillDate", "Remark"};
    for (const char* f : fields) {
        platform::GridColumn* c = view->CreateColumn(QStringLiteral("col") + QLatin1String(f));
        c->SetFieldName(QLatin1String(f));
        c->SetCaption(QLatin1String(f));
    }
    view->Column(5)->SetVisible(false);
    view->DataController()->SetDataSource(&goods.source);
    return grid;
}

// A tree: 仓库 (code, name, hidden id) nested two deep.
inline platform::TreeList* MakeTree(QWidget* parent)
{
    auto* tree = new platform::TreeList(parent);
    tree->CreateColumn(QStringLiteral("colCode"))->SetCaption(QStringLiteral("编码"));
    tree->CreateColumn(QStringLiteral("colName"))->SetCaption(QStringLiteral("名称"));
    tree->CreateColumn(QStringLiteral("colId"))->SetVisible(false);
    auto node = [&](platform::TreeListNode* parentNode, const QString& code, const QVariant& name, int id) {
        platform::TreeListNode* n = tree->AddChild(parentNode);
        n->SetValues(0, code);
        if (name.isValid())
            n->SetValues(1, name);
        n->SetValues(2, id);
        return n;
    };
    platform::TreeListNode* a = node(nullptr, QStringLiteral("S01"), QStringLiteral("总仓"), 901);
    node(a, QStringLiteral("S0101"), QStringLiteral("一号库"), 902);
    node(a, QStringLiteral("S0102"), QVariant(), 903); // no name
    platform::TreeListNode* b = node(nullptr, QStringLiteral("S02"), QStringLiteral("分仓"), 904);
    node(b, QStringLiteral("S0201"), QStringLiteral("一号库"), 905);
    return tree;
}

class WindowTest : public ::testing::Test {
protected:
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    testsupport::ModuleScope scope{app, &host};
    std::unique_ptr<TDllWindowForm> window = std::make_unique<TDllWindowForm>();

    void SetUp() override
    {
        window->SetUnitCode(QStringLiteral("JXC_TEST"));
        window->InitWindow();
    }
    void TearDown() override
    {
        window->DoneWindow();
        window.reset();
        EXPECT_EQ(FindWindowForm, nullptr);
        EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible()) << "left open: " << w->metaObject()->className();
    }

    // Components owned by the window in the order made.
    template <class T>
    T* Own(T* component, const QString& name = {})
    {
        return window->Own(component, name);
    }
};

} // namespace findtest
