#include "platform/FooterSummary.h"

#include "platform/FormatFloat.h"
#include "platform/GridColumn.h"

namespace platform {

FooterSummary::FooterSummary(Kind kind, GridColumn* column, QString format)
    : kind_(kind), column_(column), format_(std::move(format))
{
}

QString FooterSummary::Text(const QVariant& value) const
{
    return FormatVariant(format_, value);
}

} // namespace platform
