#include "tests/billedit/EditorFixture.h"

#include "lookup/FrmQryGoodsList.h"
#include "lookup/FrmQryStorageList.h"
#include "model/SqlText.h"
#include "platform/ButtonEdit.h"
#include "platform/core/Dataset.h"
#include "platform/CurrencyEdit.h"
#include "platform/rframebottom3.h"
#include "platform/TextEdit.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace billedittest {

using model::QuotedStr;

void EditorTest::SetUp()
{
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52101', '个')"));
    Exec(QStringLiteral("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52102', '箱')"));
    const char* storages[][2] = {{"S01", "一号仓"}, {"S02", "二号仓"}, {"S03", "三号仓"}};
    int id = 1;
    for (const auto& s : storages)
        Exec(QStringLiteral("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (%1, 0, %2, %3, 1)")
                 .arg(id++)
                 .arg(QuotedStr(QLatin1String(s[0])), QuotedStr(QString::fromUtf8(s[1]))));
    Exec(QStringLiteral("insert into sys_operatorgoodstype (OperatorID, GoodsType) values (%1, '01')")
             .arg(host.Operator.OperatorId));
}

void EditorTest::TearDown()
{
    editor.reset();
    EXPECT_TRUE(app.Clean()) << app.Failures().join(QLatin1Char('\n')).toStdString();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << "left open: " << w->metaObject()->className();
}

void EditorTest::Exec(const QString& sql) { plugin::HostDb()->ExecSql(sql); }

QString EditorTest::Value(const QString& sql) { return plugin::HostDb()->QueryValue(sql); }

void EditorTest::AddGoods(int id, const QString& code, const QString& name, const QString& lastInPrice,
                          const QString& defaultInPrice, const QString& storage)
{
    Exec(QStringLiteral("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, Model, CalUnit, DefaultInPrice,"
                        " LastInPrice, UseFlag, Deleted) values (%1, %2, %3, '01', %4, '52101', %5, %6, 1, 0)")
             .arg(id)
             .arg(QuotedStr(code), QuotedStr(name), QuotedStr(QStringLiteral("M-") + code), defaultInPrice, lastInPrice));
    Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
                        " values (%1, 0, %2, %1, %3, 100, 0)")
             .arg(id + 1000)
             .arg(QuotedStr(storage), QuotedStr(code)));
}

TBillEditFrm& EditorTest::NewEditor()
{
    editor = std::make_unique<TBillEditFrm>();
    editor->AddMode = true;
    return *editor;
}

TBillEditFrm& EditorTest::EditorFor(const QString& billNo)
{
    editor = std::make_unique<TBillEditFrm>();
    editor->AddMode = false;
    editor->BillNo = billNo;
    editor->BillID = Value(QStringLiteral("select ID from Sto_AdjustBillMain where BillNo = ") + QuotedStr(billNo));
    return *editor;
}

int EditorTest::Run(std::function<void(TBillEditFrm&)> action)
{
    app.OnDialog<TBillEditFrm>([action = std::move(action)](TBillEditFrm& f) {
        Activate(f);
        action(f);
    });
    return editor->ShowModal();
}

void EditorTest::Activate(QWidget& window)
{
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

QWidget* EditorTest::Focused()
{
    // A lookup that closed leaves no window active here; the desktop would give the activation
    // back to the dialog below it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && !modal->isActiveWindow())
        Activate(*modal);
    QWidget* w = QApplication::focusWidget();
    EXPECT_NE(w, nullptr);
    return w;
}

void EditorTest::Key(int key, Qt::KeyboardModifiers mods)
{
    if (QWidget* w = Focused())
        QTest::keyClick(w, Qt::Key(key), mods);
}

void EditorTest::Type(const QString& text)
{
    for (QChar c : text)
        if (QWidget* w = Focused())
            QTest::keyClick(w, c.toLatin1());
}

void EditorTest::NextStorageByKeys()
{
    app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) {
        Activate(d);
        Key(Qt::Key_Return); // the tree hands the focus to OK
        Key(Qt::Key_Return); // OK takes the storage
    });
}

void EditorTest::NextGoodsAutoPick()
{
    app.OnDialog<TQryGoodsListFrm>([](TQryGoodsListFrm&) {});
}

void EditorTest::NextGoodsCancel(int* rows)
{
    app.OnDialog<TQryGoodsListFrm>([rows](TQryGoodsListFrm& d) {
        if (rows)
            *rows = d.Data() ? d.Data()->RecordCount() : -1;
        d.Frame31->bbtnClose->click();
    });
}

void EditorTest::PickStorages(TBillEditFrm& f, const QString& out, const QString& in)
{
    for (auto [edit, code] : {std::pair{f.edtStorageOut, out}, std::pair{f.edtStorageIn, in}}) {
        edit->setText(code);
        app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) { d.Frame31->bbtnEnter->click(); });
        emit edit->ButtonClicked(0);
    }
}

void EditorTest::AddByQuickEntry(TBillEditFrm& f, const QString& code, const QString& count, const QString& price)
{
    f.edtCondition->setText(code);
    NextGoodsAutoPick();
    emit f.edtCondition->ButtonClicked(0);
    if (!price.isEmpty()) {
        f.edtGoodsPrice->setFocus();
        f.edtGoodsPrice->selectAll();
        QTest::keyClicks(f.edtGoodsPrice, price);
    }
    f.edtGoodsCount->setText(count);
    f.btnAdd->click();
}

QStringList EditorTest::LineTexts(TBillEditFrm& f)
{
    QStringList out;
    platform::Dataset& ds = *f.Lines();
    for (int r = 0; r < ds.RecordCount(); ++r) {
        QStringList cells;
        for (const char* field : {"GoodsCode", "GoodsName", "GoodsCount", "GoodsPrice", "PaySum"})
            cells << platform::VariantToText(ds.DisplayValue(r, ds.FieldIndex(QLatin1String(field))));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QStringList EditorTest::StoredLines(const QString& billNo)
{
    std::unique_ptr<platform::Dataset> ds = plugin::OpenQuery(
        QStringLiteral("select GoodsCode, GoodsName, GoodsCount, GoodsPrice, PaySum, OptorCode from Sto_AdjustBillDetail"
                       " where BillNo = %1 order by GoodsCode")
            .arg(QuotedStr(billNo)));
    QStringList out;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        QStringList cells;
        for (int i = 0; i < ds->FieldCount(); ++i)
            cells << ds->FieldAt(i).AsString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QStringList EditorTest::TakeMessages()
{
    QStringList out = host.Log.Messages;
    host.Log.Messages.clear();
    return out;
}

} // namespace billedittest
