#include "host/services/DictService.h"

#include "host/services/HostLook.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QComboBox>
#include <memory>

namespace host {

DictService::DictService(plugin::IDbIntf* db) : db_(db) {}

DictService::~DictService()
{
    ClearCache();
    qDeleteAll(retired_);
}

void DictService::ClearCache()
{
    for (QComboBox* c : std::as_const(cache_))
        retired_ << c;
    cache_.clear();
}

QComboBox* DictService::ComboFromSql(const QString& sql)
{
    if (QComboBox* cached = cache_.value(sql))
        return cached;
    if (!db_)
        throw platform::Exception(QStringLiteral("没有可用的数据库连接"));

    std::unique_ptr<platform::Dataset> ds(db_->OpenQuery(sql));
    if (!ds || ds->FieldCount() < 1)
        throw platform::Exception(QStringLiteral("字典查询没有返回数据列：%1").arg(sql));

    auto combo = std::make_unique<QComboBox>();
    combo->setObjectName(QStringLiteral("DictCombo"));
    const int valueField = 0;
    const int textField = ds->FieldCount() > 1 ? 1 : 0;
    for (int row = 0; row < ds->RecordCount(); ++row)
        combo->addItem(platform::VariantToText(ds->At(row, textField)), ds->At(row, valueField));
    QComboBox* out = combo.release();
    cache_.insert(OwnCopy(sql), out);
    return out;
}

} // namespace host
