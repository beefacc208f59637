// The component model the window base walks: ownership order, Tag, class matching, owners.
#include "TestPrint.h"
#include "platform/Component.h"
#include "platform/CurrencyEdit.h"
#include "platform/Grid.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

class MyFrame : public Frame {
    Q_OBJECT
public:
    using Frame::Frame;
};

} // namespace

TEST(Components, OwnedInCreationOrderAndDroppedWhenDestroyed)
{
    Form form;
    auto* grid = form.Own(new Grid(&form), QStringLiteral("cxGrid1"));
    auto* view = form.Own(grid->CreateTableView(), QStringLiteral("TableBillInfo"));
    auto* tree = form.Own(new TreeList(&form), QStringLiteral("tlTypeList"));
    auto* edit = form.Own(new TextEdit(&form), QStringLiteral("edtBillNo"));
    ASSERT_EQ(form.ComponentCount(), 4);
    EXPECT_EQ(form.Component(0), grid);
    EXPECT_EQ(form.Component(1), view);
    EXPECT_EQ(form.Component(3), edit);
    EXPECT_EQ(form.Component(4), nullptr);
    EXPECT_EQ(form.Component(-1), nullptr);
    EXPECT_EQ(view->objectName(), "TableBillInfo");
    delete tree;
    EXPECT_EQ(form.ComponentCount(), 3);
    EXPECT_EQ(form.Component(2), edit);
    form.Disown(grid);
    EXPECT_EQ(form.Components(), (QList<QObject*>{view, edit}));
}

TEST(Components, TagAndClassMatching)
{
    Form form;
    Grid grid;
    EXPECT_EQ(Tag(&grid), 0);
    SetTag(&grid, 9999);
    EXPECT_EQ(Tag(&grid), 9999);
    EXPECT_EQ(Tag(nullptr), 0);

    TextEdit text;
    CurrencyEdit money;
    EXPECT_TRUE(IsExactly<TextEdit>(&text));
    EXPECT_FALSE(IsExactly<TextEdit>(&money)); // a currency edit is not exactly a text edit
    EXPECT_TRUE(IsOrDerived<TextEdit>(&money));
    EXPECT_TRUE(IsExactly<CurrencyEdit>(&money));
    EXPECT_FALSE(IsExactly<TextEdit>(nullptr));

    MyFrame frame;
    EXPECT_FALSE(IsExactly<Frame>(&frame));
    EXPECT_TRUE(IsOrDerived<Frame>(&frame));
}

TEST(Components, OwnersAreFormsFramesAndTabSheets)
{
    Form form;
    Frame frame;
    TabSheet sheet;
    MyFrame derived;
    QWidget plain;
    EXPECT_EQ(AsOwner(&form), static_cast<ComponentOwner*>(&form));
    EXPECT_EQ(AsOwner(&frame), static_cast<ComponentOwner*>(&frame));
    EXPECT_EQ(AsOwner(&sheet), static_cast<ComponentOwner*>(&sheet));
    EXPECT_EQ(AsOwner(&derived), static_cast<ComponentOwner*>(&derived));
    EXPECT_EQ(AsOwner(&plain), nullptr);
    EXPECT_EQ(AsOwner(nullptr), nullptr);
    // Forms ask for the Chinese font.
    EXPECT_TRUE(form.font().families().contains(QStringLiteral("宋体")));
}

#include "ComponentTest.moc"
