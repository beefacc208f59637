#include "platform/core/Dataset.h"

#include "platform/core/ValueText.h"

#include <QStringEncoder>
#include <QVarLengthArray>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace platform {

namespace {

std::optional<double> ParseDouble(const QString& text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

} // namespace

QString FieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Integer: return QStringLiteral("integer");
    case FieldType::Float: return QStringLiteral("float");
    case FieldType::Currency: return QStringLiteral("currency");
    case FieldType::Text: return QStringLiteral("text");
    case FieldType::DateTime: return QStringLiteral("datetime");
    }
    return {};
}

QString VariantToText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().ToString();
    switch (v.metaType().id()) {
    case QMetaType::Double:
        return FieldNumberText(v.toDouble());
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.toString(QStringLiteral("yyyy-MM-dd"));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return v.toString();
    }
}

namespace {

bool HoldsCurrency(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<Currency>();
}

bool HoldsText(const QVariant& value)
{
    return value.metaType().id() == QMetaType::QString;
}

bool HoldsFloat(const QVariant& value)
{
    return value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float;
}

QVariant ToInteger(const QVariant& value)
{
    if (HoldsCurrency(value))
        return qlonglong(std::llround(value.value<Currency>().ToDouble()));
    if (HoldsText(value)) {
        const QString t = value.toString().trimmed();
        if (t.isEmpty())
            return {};
        bool ok = false;
        const qlonglong i = t.toLongLong(&ok);
        if (ok)
            return i;
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(t));
    }
    if (HoldsFloat(value)) {
        // Out of range or not a number has no integer value; llround would make one up.
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        return qlonglong(std::llround(d));
    }
    bool ok = false;
    const qlonglong i = value.toLongLong(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
    return i;
}

QVariant ToFloat(const QVariant& value)
{
    if (HoldsCurrency(value))
        return value.value<Currency>().ToDouble();
    if (HoldsText(value)) {
        const QString t = value.toString().trimmed();
        if (t.isEmpty())
            return {};
        if (auto d = ParseDouble(t))
            return *d;
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(t));
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
    return d;
}

QVariant ToCurrency(const QVariant& value)
{
    if (HoldsCurrency(value))
        return value;
    if (HoldsText(value)) {
        const QString t = value.toString().trimmed();
        if (t.isEmpty())
            return {};
        if (auto c = Currency::Parse(t))
            return QVariant::fromValue(*c);
        throw EConvertError(QStringLiteral("'%1' is not a valid currency value").arg(t));
    }
    if (HoldsFloat(value)) {
        // Currency::FromDouble maps what it cannot hold to 0; a field must not take that silently.
        const double d = value.toDouble();
        if (!Currency::Holds(d))
            throw EConvertError(QStringLiteral("'%1' is not a valid currency value").arg(value.toString()));
        return QVariant::fromValue(Currency::FromDouble(d));
    }
    bool ok = false;
    const qlonglong i = value.toLongLong(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid currency value").arg(value.toString()));
    if (!Currency::HoldsWhole(i))
        throw EConvertError(QStringLiteral("'%1' is not a valid currency value").arg(value.toString()));
    return QVariant::fromValue(Currency::FromInt(i));
}

QVariant ToDateTime(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value;
    if (value.metaType().id() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    if (HoldsText(value)) {
        const QString t = value.toString().trimmed();
        if (t.isEmpty())
            return {};
        const QDateTime dt = ParseDateText(t, DateForm::Iso | DateForm::Milliseconds | DateForm::Slashes);
        if (!dt.isValid())
            throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(t));
        return dt;
    }
    throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
}

} // namespace

QVariant ConvertToFieldType(const QVariant& value, FieldType type)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case FieldType::Text: return VariantToText(value);
    case FieldType::Integer: return ToInteger(value);
    case FieldType::Float: return ToFloat(value);
    case FieldType::Currency: return ToCurrency(value);
    case FieldType::DateTime: return ToDateTime(value);
    }
    return value;
}

// ---- Column ------------------------------------------------------------------------------

namespace {

// Dates are kept as local wall-clock milliseconds counted from 1970-01-01 00:00: the date and
// time as shown, with no time-zone work when a list is loaded.
constexpr qint64 MsPerDay = 86400000;
constexpr qint64 EpochJulianDay = 2440588;

qint64 WordOfDateTime(QDateTime t)
{
    if (t.timeSpec() != Qt::LocalTime)
        t = t.toLocalTime();
    return (t.date().toJulianDay() - EpochJulianDay) * MsPerDay + t.time().msecsSinceStartOfDay();
}

QDateTime DateTimeOfWord(qint64 w)
{
    const qint64 day = w >= 0 ? w / MsPerDay : -((-w + MsPerDay - 1) / MsPerDay);
    return QDateTime(QDate::fromJulianDay(day + EpochJulianDay), QTime::fromMSecsSinceStartOfDay(int(w - day * MsPerDay)));
}

} // namespace

QVariant Dataset::Column::Get(size_t row) const
{
    if (nulls_[row])
        return {};
    switch (type_) {
    case FieldType::Integer: return qlonglong(words_[row]);
    case FieldType::Float: return std::bit_cast<double>(words_[row]);
    case FieldType::Currency: return QVariant::fromValue(Currency::FromRaw(words_[row]));
    case FieldType::DateTime: return DateTimeOfWord(words_[row]);
    case FieldType::Text: {
        const size_t start = TextStart(row);
        return QString::fromUtf8(text_.data() + start, qsizetype(ends_[row] - start));
    }
    }
    return {};
}

QByteArrayView Dataset::Column::TextBytes(size_t row) const
{
    if (type_ != FieldType::Text)
        throw Exception(QStringLiteral("A %1 field read as text").arg(FieldTypeName(type_)));
    if (nulls_[row])
        return {};
    const size_t start = TextStart(row);
    return QByteArrayView(text_.data() + start, qsizetype(ends_[row] - start));
}

QDate Dataset::DateAt(int row, int field) const
{
    const Column& c = columns_[size_t(field)];
    if (fields_[field].type != FieldType::DateTime || c.IsNull(size_t(row)))
        return {};
    const qint64 w = c.StoredWord(size_t(row));
    return QDate::fromJulianDay((w >= 0 ? w / MsPerDay : -((-w + MsPerDay - 1) / MsPerDay)) + EpochJulianDay);
}

QTime Dataset::TimeAt(int row, int field) const
{
    const QDate day = DateAt(row, field);
    if (!day.isValid())
        return {};
    const qint64 w = columns_[size_t(field)].StoredWord(size_t(row));
    return QTime::fromMSecsSinceStartOfDay(int(w - (day.toJulianDay() - EpochJulianDay) * MsPerDay));
}

int Dataset::Column::Count() const
{
    return int(std::count(nulls_.begin(), nulls_.end(), quint8(0)));
}

QVariant Dataset::Column::Sum() const
{
    switch (type_) {
    case FieldType::Integer: {
        qlonglong sum = 0;
        for (size_t r = 0; r < words_.size(); ++r)
            sum += nulls_[r] ? 0 : words_[r];
        return sum;
    }
    case FieldType::Float: {
        double sum = 0;
        for (size_t r = 0; r < words_.size(); ++r)
            if (!nulls_[r])
                sum += std::bit_cast<double>(words_[r]);
        return sum;
    }
    case FieldType::Currency: {
        Currency sum;
        for (size_t r = 0; r < words_.size(); ++r)
            if (!nulls_[r])
                sum += Currency::FromRaw(words_[r]);
        return QVariant::fromValue(sum);
    }
    case FieldType::Text:
    case FieldType::DateTime: break;
    }
    return {};
}

namespace {

qint64 Word(const QVariant& v, FieldType type)
{
    switch (type) {
    case FieldType::Integer: return v.toLongLong();
    case FieldType::Float: return std::bit_cast<qint64>(v.toDouble());
    case FieldType::Currency: return v.value<Currency>().Raw();
    case FieldType::DateTime: return WordOfDateTime(v.toDateTime());
    case FieldType::Text: break;
    }
    return 0;
}

} // namespace

void Dataset::Column::Append(const QVariant& v)
{
    const bool null = !v.isValid();
    if (type_ == FieldType::Text) {
        const size_t start = text_.size();
        if (!null) {
            const QString s = v.toString();
            QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
            const size_t room = size_t(utf8.requiredSpace(s.size()));
            if (start + room > std::numeric_limits<quint32>::max())
                throw Exception(QStringLiteral("Too much text for one field of a dataset"));
            text_.resize(start + room);
            char* end = utf8.appendToBuffer(text_.data() + start, s);
            text_.resize(size_t(end - text_.data()));
        }
        ends_.push_back(quint32(text_.size()));
    } else {
        words_.push_back(null ? 0 : Word(v, type_));
    }
    nulls_.push_back(null ? 1 : 0);
}

void Dataset::Column::CheckType(FieldType type) const
{
    if (type != type_)
        throw Exception(QStringLiteral("A %1 value loaded into a %2 field").arg(FieldTypeName(type), FieldTypeName(type_)));
}

void Dataset::Column::AppendNull()
{
    if (type_ == FieldType::Text)
        ends_.push_back(quint32(text_.size()));
    else
        words_.push_back(0);
    nulls_.push_back(1);
}

void Dataset::Column::AppendWord(FieldType type, qint64 word)
{
    CheckType(type);
    words_.push_back(word);
    nulls_.push_back(0);
}

void Dataset::Column::AppendText(const char* utf8, qsizetype bytes)
{
    CheckType(FieldType::Text);
    if (text_.size() + size_t(bytes) > std::numeric_limits<quint32>::max())
        throw Exception(QStringLiteral("Too much text for one field of a dataset"));
    text_.append(utf8, size_t(bytes));
    ends_.push_back(quint32(text_.size()));
    nulls_.push_back(0);
}

void Dataset::Column::SetText(size_t row, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const size_t start = TextStart(row);
    const size_t oldLength = ends_[row] - start;
    if (text_.size() - oldLength + size_t(bytes.size()) > std::numeric_limits<quint32>::max())
        throw Exception(QStringLiteral("Too much text for one field of a dataset"));
    text_.replace(start, oldLength, bytes.constData(), size_t(bytes.size()));
    const qint64 delta = qint64(bytes.size()) - qint64(oldLength);
    for (size_t r = row; r < ends_.size(); ++r)
        ends_[r] = quint32(qint64(ends_[r]) + delta);
}

void Dataset::Column::Set(size_t row, const QVariant& v)
{
    const bool null = !v.isValid();
    if (type_ == FieldType::Text)
        SetText(row, null ? QString() : v.toString());
    else
        words_[row] = null ? 0 : Word(v, type_);
    nulls_[row] = null ? 1 : 0;
}

void Dataset::Column::Erase(size_t row)
{
    if (type_ == FieldType::Text) {
        SetText(row, QString());
        ends_.erase(ends_.begin() + ptrdiff_t(row));
    } else {
        words_.erase(words_.begin() + ptrdiff_t(row));
    }
    nulls_.erase(nulls_.begin() + ptrdiff_t(row));
}

void Dataset::Column::Clear()
{
    nulls_ = {};
    words_ = {};
    text_ = {};
    ends_ = {};
}

void Dataset::Column::Reserve(size_t rows)
{
    nulls_.reserve(rows);
    if (type_ == FieldType::Text)
        ends_.reserve(rows);
    else
        words_.reserve(rows);
}

void Dataset::Column::Trim()
{
    // Growth by doubling can leave half a column unused; a loaded list keeps only what it holds.
    auto trim = [](auto& v) {
        if (v.capacity() - v.size() > v.size() / 8 + 64)
            v.shrink_to_fit();
    };
    trim(nulls_);
    trim(words_);
    trim(text_);
    trim(ends_);
}

QVariant Dataset::Normalized(const QVariant& v, FieldType type)
{
    if (!v.isValid() || v.isNull())
        return {};
    const int id = v.metaType().id();
    switch (type) {
    case FieldType::Integer:
        if (id == QMetaType::LongLong)
            return v;
        break;
    case FieldType::Float:
        if (id == QMetaType::Double)
            return v;
        break;
    case FieldType::Currency:
        if (v.metaType() == QMetaType::fromType<Currency>())
            return v;
        break;
    case FieldType::Text:
        if (id == QMetaType::QString)
            return v;
        break;
    case FieldType::DateTime:
        if (id == QMetaType::QDateTime)
            return v.toDateTime().isValid() ? v : QVariant();
        break;
    }
    return ConvertToFieldType(v, type);
}

// ---- Field -------------------------------------------------------------------------------

const QString& Dataset::Field::Name() const { return ds_->fields_.at(index_).name; }
FieldType Dataset::Field::Type() const { return ds_->fields_.at(index_).type; }

QVariant Dataset::Field::Value() const
{
    if (ds_->state_ != State::Browse)
        return ds_->buffer_.at(index_);
    if (ds_->current_ < 0 || ds_->current_ >= ds_->RecordCount())
        return {};
    return ds_->At(ds_->current_, index_);
}

QString Dataset::Field::AsString() const { return VariantToText(Value()); }

qint64 Dataset::Field::AsInteger() const
{
    const QVariant v = ConvertToFieldType(Value(), FieldType::Integer);
    return v.isValid() ? v.toLongLong() : 0;
}

double Dataset::Field::AsFloat() const
{
    const QVariant v = ConvertToFieldType(Value(), FieldType::Float);
    return v.isValid() ? v.toDouble() : 0.0;
}

Currency Dataset::Field::AsCurrency() const
{
    const QVariant v = ConvertToFieldType(Value(), FieldType::Currency);
    return v.isValid() ? v.value<Currency>() : Currency();
}

QDateTime Dataset::Field::AsDateTime() const
{
    const QVariant v = ConvertToFieldType(Value(), FieldType::DateTime);
    return v.isValid() ? v.toDateTime() : QDateTime();
}

void Dataset::Field::SetValue(const QVariant& v)
{
    if (ds_->state_ == State::Browse)
        throw Exception(QStringLiteral("Dataset not in edit or insert mode"));
    ds_->BufferValue(index_) = ConvertToFieldType(v, Type());
    ds_->modified_ = true;
    ds_->Notify(DatasetObserver::Change::RowChanged, ds_->current_);
}

// ---- Dataset -----------------------------------------------------------------------------

Dataset::Dataset(QVector<FieldDef> fields) : fields_(std::move(fields))
{
    columns_.reserve(size_t(fields_.size()));
    for (const FieldDef& f : fields_)
        columns_.emplace_back(f.type);
}

Dataset::~Dataset() { Notify(DatasetObserver::Change::Destroyed, -1); }

void Dataset::AddField(const QString& name, FieldType type)
{
    if (RecordCount() > 0 || state_ != State::Browse)
        throw Exception(QStringLiteral("Cannot add field '%1' to a dataset holding records").arg(name));
    if (FieldIndex(name) >= 0)
        throw Exception(QStringLiteral("Duplicate field name '%1'").arg(name));
    fields_.push_back({name, type});
    columns_.emplace_back(type);
    Notify(DatasetObserver::Change::Reset, -1);
}

int Dataset::FieldIndex(const QString& name) const
{
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Dataset::Field Dataset::FieldByName(const QString& name)
{
    const int i = FieldIndex(name);
    if (i < 0)
        throw Exception(QStringLiteral("Field '%1' not found").arg(name));
    return Field(*this, i);
}

void Dataset::SetCurrent(int row)
{
    const int count = RecordCount();
    const int old = current_;
    current_ = count == 0 ? -1 : std::clamp(row, 0, count - 1);
    if (old != current_)
        Notify(DatasetObserver::Change::CurrentChanged, current_);
}

void Dataset::SetRecNo(int row)
{
    CheckBrowseMode();
    eof_ = bof_ = RecordCount() == 0;
    SetCurrent(row);
}

void Dataset::First()
{
    CheckBrowseMode();
    SetCurrent(0);
    eof_ = bof_ = RecordCount() == 0;
    bof_ = true;
}

void Dataset::Last()
{
    CheckBrowseMode();
    SetCurrent(RecordCount() - 1);
    eof_ = true;
    bof_ = RecordCount() == 0;
}

void Dataset::Next()
{
    CheckBrowseMode();
    bof_ = false;
    if (current_ < 0 || current_ >= RecordCount() - 1) {
        eof_ = true;
        return;
    }
    SetCurrent(current_ + 1);
    eof_ = false;
}

void Dataset::Prior()
{
    CheckBrowseMode();
    eof_ = false;
    if (current_ <= 0) {
        bof_ = true;
        return;
    }
    SetCurrent(current_ - 1);
    bof_ = false;
}

bool Dataset::Locate(const QString& field, const QVariant& value, bool ignoreCase)
{
    CheckBrowseMode();
    const int f = FieldIndex(field);
    if (f < 0)
        throw Exception(QStringLiteral("Field '%1' not found").arg(field));
    const FieldType type = fields_[f].type;
    QVariant key;
    try {
        key = ConvertToFieldType(value, type);
    } catch (const EConvertError&) {
        return false;
    }
    const QString keyText = VariantToText(key);
    for (int r = 0, n = RecordCount(); r < n; ++r) {
        const QVariant v = At(r, f);
        bool match;
        if (!key.isValid())
            match = !v.isValid();
        else if (type == FieldType::Text)
            match = v.isValid() && v.toString().compare(keyText, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
        else
            match = v.isValid() && VariantToText(v) == keyText;
        if (match) {
            SetCurrent(r);
            eof_ = bof_ = false;
            return true;
        }
    }
    return false;
}

void Dataset::CheckActiveRecord() const
{
    if (current_ < 0 || current_ >= RecordCount())
        throw Exception(QStringLiteral("Cannot perform this operation on an empty dataset"));
}

QVariant& Dataset::BufferValue(int field) { return buffer_[field]; }

void Dataset::Append()
{
    CheckBrowseMode();
    buffer_ = QVector<QVariant>(fields_.size());
    state_ = State::Insert;
    modified_ = false;
    const int pending = RecordCount();
    current_ = pending;
    eof_ = bof_ = false;
    Notify(DatasetObserver::Change::RowInserted, pending);
    Notify(DatasetObserver::Change::StateChanged, pending);
    Notify(DatasetObserver::Change::CurrentChanged, pending);
}

void Dataset::Edit()
{
    if (state_ != State::Browse)
        return;
    CheckActiveRecord();
    buffer_ = QVector<QVariant>(fields_.size());
    for (int f = 0; f < fields_.size(); ++f)
        buffer_[f] = At(current_, f);
    state_ = State::Edit;
    modified_ = false;
    Notify(DatasetObserver::Change::StateChanged, current_);
}

void Dataset::Post()
{
    if (state_ == State::Browse)
        return;
    const int n = fields_.size();
    if (state_ == State::Insert) {
        // The pending row becomes a stored row at the same index the views already show.
        for (int f = 0; f < n; ++f)
            columns_[size_t(f)].Append(buffer_[f]);
        ++rowCount_;
        state_ = State::Browse;
        modified_ = false;
        buffer_.clear();
        current_ = RecordCount() - 1;
        Notify(DatasetObserver::Change::StateChanged, current_);
        Notify(DatasetObserver::Change::RowChanged, current_);
        return;
    }
    for (int f = 0; f < n; ++f)
        columns_[size_t(f)].Set(size_t(current_), buffer_[f]);
    state_ = State::Browse;
    modified_ = false;
    buffer_.clear();
    Notify(DatasetObserver::Change::StateChanged, current_);
    Notify(DatasetObserver::Change::RowChanged, current_);
}

void Dataset::Cancel()
{
    if (state_ == State::Browse)
        return;
    const bool wasInsert = state_ == State::Insert;
    const int pending = current_;
    if (wasInsert)
        Notify(DatasetObserver::Change::RowAboutToBeRemoved, pending);
    state_ = State::Browse;
    modified_ = false;
    buffer_.clear();
    if (wasInsert) {
        current_ = RecordCount() == 0 ? -1 : RecordCount() - 1;
        Notify(DatasetObserver::Change::RowRemoved, pending);
        Notify(DatasetObserver::Change::CurrentChanged, current_);
    } else {
        Notify(DatasetObserver::Change::RowChanged, current_);
    }
    Notify(DatasetObserver::Change::StateChanged, current_);
}

void Dataset::CheckBrowseMode()
{
    if (state_ == State::Browse)
        return;
    if (modified_)
        Post();
    else
        Cancel();
}

void Dataset::Delete()
{
    if (state_ == State::Insert) {
        Cancel();
        return;
    }
    if (state_ == State::Edit)
        Cancel();
    CheckActiveRecord();
    const int row = current_;
    Notify(DatasetObserver::Change::RowAboutToBeRemoved, row);
    for (Column& c : columns_)
        c.Erase(size_t(row));
    --rowCount_;
    const int count = RecordCount();
    current_ = count == 0 ? -1 : std::min(row, count - 1);
    eof_ = bof_ = count == 0;
    Notify(DatasetObserver::Change::RowRemoved, row);
    Notify(DatasetObserver::Change::CurrentChanged, current_);
}

void Dataset::EmptyDataset()
{
    state_ = State::Browse;
    modified_ = false;
    buffer_.clear();
    for (Column& c : columns_)
        c.Clear();
    rowCount_ = 0;
    current_ = -1;
    eof_ = bof_ = true;
    Notify(DatasetObserver::Change::Reset, -1);
}

QVariant Dataset::DisplayValue(int row, int field) const
{
    if (state_ != State::Browse && row == current_)
        return buffer_.at(field);
    if (row < 0 || row >= RecordCount())
        return {};
    return At(row, field);
}

void Dataset::AppendRow(const QVariant* values)
{
    // Every value is made the field's type before any column grows, so a value that cannot be
    // converted leaves no half row behind.
    const size_t n = columns_.size();
    QVarLengthArray<QVariant, 32> row(static_cast<qsizetype>(n));
    for (size_t f = 0; f < n; ++f)
        row[qsizetype(f)] = Normalized(values[f], fields_[qsizetype(f)].type);
    try {
        for (size_t f = 0; f < n; ++f)
            columns_[f].Append(row[qsizetype(f)]);
    } catch (...) {
        for (Column& c : columns_)
            if (c.Size() > size_t(rowCount_))
                c.Erase(size_t(rowCount_));
        throw;
    }
    ++rowCount_;
}

void Dataset::LoadFloat(int field, double v)
{
    columns_[size_t(field)].AppendWord(FieldType::Float, std::bit_cast<qint64>(v));
}

void Dataset::LoadDateTime(int field, QDate date, int msecsOfDay)
{
    columns_[size_t(field)].AppendWord(FieldType::DateTime, (date.toJulianDay() - EpochJulianDay) * MsPerDay + msecsOfDay);
}

void Dataset::EndRow()
{
    for (const Column& c : columns_)
        if (c.Size() != size_t(rowCount_) + 1)
            throw Exception(QStringLiteral("A loaded row needs one value for each of the %1 fields").arg(fields_.size()));
    ++rowCount_;
}

void Dataset::DropRow()
{
    for (Column& c : columns_)
        if (c.Size() > size_t(rowCount_))
            c.Erase(size_t(rowCount_));
}

void Dataset::AppendRow(const QVector<QVariant>& values)
{
    if (values.size() != fields_.size())
        throw Exception(QStringLiteral("A row of %1 values for a dataset of %2 fields").arg(values.size()).arg(fields_.size()));
    AppendRow(values.constData());
}

void Dataset::SetRawValue(int row, int field, const QVariant& v)
{
    if (row < 0 || row >= rowCount_ || field < 0 || field >= fields_.size())
        throw Exception(QStringLiteral("No stored value at row %1, field %2").arg(row).arg(field));
    columns_[size_t(field)].Set(size_t(row), Normalized(v, fields_[field].type));
    Notify(DatasetObserver::Change::RowChanged, row);
}

void Dataset::Reserve(int rows)
{
    for (Column& c : columns_)
        c.Reserve(size_t(std::max(rows, 0)));
}

void Dataset::EndLoad()
{
    for (Column& c : columns_)
        c.Trim();
    current_ = RecordCount() == 0 ? -1 : 0;
    eof_ = bof_ = RecordCount() == 0;
    Notify(DatasetObserver::Change::Reset, -1);
}

void Dataset::AddObserver(DatasetObserver* o)
{
    if (std::find(observers_.begin(), observers_.end(), o) == observers_.end())
        observers_.push_back(o);
}

void Dataset::RemoveObserver(DatasetObserver* o)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void Dataset::Notify(DatasetObserver::Change c, int row)
{
    // Copy: an observer may detach itself while being told.
    const auto observers = observers_;
    for (DatasetObserver* o : observers)
        o->DatasetChanged(*this, c, row);
}

} // namespace platform
