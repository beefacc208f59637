// The list window remembers, per operator, what the operator made of it: the columns' widths and
// the dates of the last search, in the host's settings (WorkWindow.ini).
#include "billlist/WorkWindow.h"

#include "platform/DateEdit.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"
#include "plugin/Host.h"

#include <QDate>
#include <QStringList>

namespace {

const QString kFile = QStringLiteral("WorkWindow.ini");

QString Section() { return QStringLiteral("Operator_") + plugin::HostOperator().OperatorCode; }

QString Widths(const platform::TableView& view)
{
    QStringList out;
    for (int i = 0; i < view.ColumnCount(); ++i)
        out << QString::number(view.Column(i)->Width());
    return out.join(u',');
}

void ApplyWidths(platform::TableView& view, const QString& kept)
{
    const QStringList widths = kept.split(u',', Qt::SkipEmptyParts);
    if (widths.size() != view.ColumnCount())
        return; // kept by another shape of the window
    for (int i = 0; i < widths.size(); ++i) {
        bool ok = false;
        const int w = widths[i].toInt(&ok);
        if (ok && w > 0 && w < 4000)
            view.Column(i)->SetWidth(w);
    }
}

} // namespace

bool TWorkWindowForm::RestoreSettings()
{
    auto ini = plugin::HostIni();
    const QString section = Section();
    ApplyWidths(*TableBillInfo, ini->ReadString(section, QStringLiteral("BillColumns"), kFile, {}));
    ApplyWidths(*TableGoodsList, ini->ReadString(section, QStringLiteral("LineColumns"), kFile, {}));
    // What is kept now: only a change is written back.
    keptWidths_ = Widths(*TableBillInfo) + u';' + Widths(*TableGoodsList);
    const QDate begin = QDate::fromString(ini->ReadString(section, QStringLiteral("BeginDate"), kFile, {}), Qt::ISODate);
    const QDate end = QDate::fromString(ini->ReadString(section, QStringLiteral("EndDate"), kFile, {}), Qt::ISODate);
    if (!begin.isValid() || !end.isValid())
        return false;
    dtBegindate->SetDate(begin);
    dtEndDate->SetDate(end);
    return true;
}

void TWorkWindowForm::SaveColumnWidths()
{
    const QString now = Widths(*TableBillInfo) + u';' + Widths(*TableGoodsList);
    if (keptWidths_.isEmpty() || now == keptWidths_)
        return;
    keptWidths_ = now;
    auto ini = plugin::HostIni();
    ini->WriteString(Section(), QStringLiteral("BillColumns"), Widths(*TableBillInfo), kFile);
    ini->WriteString(Section(), QStringLiteral("LineColumns"), Widths(*TableGoodsList), kFile);
}

void TWorkWindowForm::SaveSearchDates()
{
    auto ini = plugin::HostIni();
    const QString begin = dtBegindate->Date().toString(Qt::ISODate), end = dtEndDate->Date().toString(Qt::ISODate);
    const QString keptBegin = ini->ReadString(Section(), QStringLiteral("BeginDate"), kFile, {});
    const QString keptEnd = ini->ReadString(Section(), QStringLiteral("EndDate"), kFile, {});
    // Nothing new to keep: the same dates, or the opening dates with nothing kept before.
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    if ((begin == keptBegin && end == keptEnd) || (keptBegin.isEmpty() && begin == today && end == today))
        return;
    ini->WriteString(Section(), QStringLiteral("BeginDate"), begin, kFile);
    ini->WriteString(Section(), QStringLiteral("EndDate"), end, kFile);
}
