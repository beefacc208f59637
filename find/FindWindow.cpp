#include "find/FindWindow.h"
#include "ui_FindWindow.h"

#include "platform/Application.h"
#include "platform/BandedTableView.h"
#include "platform/DataController.h"
#include "platform/Grid.h"
#include "platform/SlotGuard.h"
#include "platform/TreeList.h"
#include "platform/core/Currency.h"
#include "platform/core/ValueText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

TFindWindowForm* FindWindowForm = nullptr;

namespace {

const QString kNotFound = QStringLiteral("查找不到要搜索的数据");

bool IsCurrency(const QVariant& v) { return v.metaType() == QMetaType::fromType<platform::Currency>(); }

// The value as text, the way a cell holds it: numbers without a display format, dates with
// their time only when they have one.
QString TextForm(const QVariant& v)
{
    if (IsCurrency(v))
        return v.value<platform::Currency>().ToString();
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return platform::FieldNumberText(v.toDouble());
    case QMetaType::QDateTime: {
        const QDateTime t = v.toDateTime();
        return t.time() == QTime(0, 0) ? t.toString(QStringLiteral("yyyy-MM-dd"))
                                       : t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        return v.toString();
    }
}

} // namespace

TFindWindowForm::TFindWindowForm(QWidget* parent) : platform::Form(parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(341, 72); // a fixed dialog border

    // The controls are laid out in FindWindow.ui.
    ui_ = std::make_unique<Ui::FindWindowForm>();
    ui_->setupUi(this);
    Label1 = Own(ui_->Label1);
    Edit1 = Own(ui_->Edit1);
    Button1 = Own(ui_->Button1);
    Button2 = Own(ui_->Button2);
    rb1 = Own(ui_->rb1);
    rb2 = Own(ui_->rb2);
    chk1 = Own(ui_->chk1);

    connect(Button1, &QPushButton::clicked, this, platform::Guard(this, &TFindWindowForm::Button1Click));
    connect(Button2, &QPushButton::clicked, this, platform::Guard(this, &TFindWindowForm::Button2Click));
    FormCreate();
}

TFindWindowForm::~TFindWindowForm()
{
    if (FindWindowForm == this)
        FindWindowForm = nullptr;
}

void TFindWindowForm::FormCreate()
{
    SearchMode = -1;
    SearchGrid = nullptr;
    SearchTreeList = nullptr;
}

void TFindWindowForm::CentreOn(QWidget* window)
{
    if (!window)
        return;
    const QRect frame = window->window()->geometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
}

void TFindWindowForm::closeEvent(QCloseEvent* event)
{
    // The dialog goes with its closing (WA_DeleteOnClose); the module-wide reference goes now.
    if (FindWindowForm == this)
        FindWindowForm = nullptr;
    // Not QDialog's: it would reject, and reject closes here.
    QWidget::closeEvent(event);
}

void TFindWindowForm::reject() { close(); }

void TFindWindowForm::Button1Click()
{
    int found = -1;
    if (SearchMode == 0)
        found = FindInGrid();
    else if (SearchMode == 1)
        found = FindInTreeList();
    else
        return;
    if (found < 0)
        platform::Application()->ShowMessage(kNotFound);
}

void TFindWindowForm::Button2Click() { close(); }

bool TFindWindowForm::Matches(const QVariant& value, const QString& text, bool wholeMatch)
{
    if (!wholeMatch)
        return TextForm(value).contains(text, Qt::CaseSensitive);
    if (IsCurrency(value)) {
        const std::optional<platform::Currency> c = platform::Currency::Parse(text.trimmed());
        return c && *c == value.value<platform::Currency>();
    }
    if (platform::IsNumberType(value.typeId())) {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        return ok && d == value.toDouble();
    }
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        using platform::DateForm;
        const QDateTime t = platform::ParseDateText(text, DateForm::Iso | DateForm::Slashes | DateForm::ShortDate);
        return t.isValid() && t == value.toDateTime();
    }
    return value.toString() == text;
}

int TFindWindowForm::FindInGrid()
{
    const QString text = Edit1->text();
    if (!SearchGrid || text.isEmpty())
        return -1;
    platform::TableView* view = SearchGrid->ActiveView();
    if (!platform::IsOrDerived<platform::BandedTableView>(view))
        return -1;
    platform::DataController* dc = view->DataController();
    const int focused = dc->FocusedRecordIndex();
    const bool down = rb2->isChecked();
    const bool whole = chk1->isChecked();
    const int step = down ? 1 : -1;
    const int end = down ? dc->RecordCount() : -1;
    for (int r = focused + step; r != end && r >= 0 && r < dc->RecordCount(); r += step) {
        for (int c = 0; c < view->ColumnCount(); ++c) {
            const platform::GridColumn* column = view->Column(c);
            if (!column->Visible())
                continue;
            const QVariant v = dc->Value(r, column->Index());
            if (!v.isValid() || v.isNull())
                continue;
            if (Matches(v, text, whole)) {
                dc->SetFocusedRecordIndex(r);
                return r;
            }
        }
    }
    return -1;
}

int TFindWindowForm::FindInTreeList()
{
    const QString text = Edit1->text();
    if (!SearchTreeList || text.isEmpty())
        return -1;
    platform::TreeList* tree = SearchTreeList;
    const int count = tree->AbsoluteCount();
    const bool down = rb2->isChecked();
    const bool whole = chk1->isChecked();
    // Without a focused node the search covers the whole tree: down from the first node, up
    // from the last.
    const platform::TreeListNode* focusedNode = tree->FocusedNode();
    const int focused = focusedNode ? focusedNode->AbsoluteIndex() : (down ? -1 : count);
    const int step = down ? 1 : -1;
    for (int i = focused + step; i >= 0 && i < count; i += step) {
        platform::TreeListNode* node = tree->AbsoluteItem(i);
        for (int c = 0; c < tree->ColumnCount(); ++c) {
            if (!tree->Column(c)->Visible())
                continue;
            const QVariant v = node->Values(c);
            if (!v.isValid() || v.isNull())
                continue;
            if (Matches(v, text, whole)) {
                tree->SetFocusedNode(node);
                return i;
            }
        }
    }
    return -1;
}
