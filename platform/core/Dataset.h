#pragma once
// An in-memory table of typed, named fields: the result of the database service's OpenQuery and
// the data behind grids. It can be walked, edited, appended to and deleted from; it never writes
// back to a database. Field names compare ignoring case.
//
// Values are QVariants of one type per field: qlonglong (Integer), double (Float),
// platform::Currency (Currency), QString (Text), QDateTime (DateTime, local time); a null value
// is an invalid QVariant. Values written through SetValue are converted to the field's type.
//
// Rows are stored by column in the field's own type (numbers in eight bytes, texts as UTF-8 one
// after another), so a list of 100,000 bills costs little more than its raw bytes. Values are
// made into QVariants when read.
#include "platform/core/Currency.h"
#include "platform/core/Exception.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <string>
#include <vector>

namespace platform {

enum class FieldType { Integer, Float, Currency, Text, DateTime };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
};

class Dataset;

// Observers are told of every change so views can follow (the data source's model does).
class DatasetObserver {
public:
    enum class Change {
        Reset,          // structure or all rows changed
        RowInserted,    // row index given
        RowAboutToBeRemoved, // row index given; the row is still there (views need the old state)
        RowRemoved,     // row index given
        RowChanged,     // row index given (a post, or an edit buffer change)
        CurrentChanged, // current record moved
        StateChanged,   // browse / edit / insert
        Destroyed       // the dataset is going away; drop every reference to it
    };
    virtual ~DatasetObserver() = default;
    virtual void DatasetChanged(Dataset& ds, Change change, int row) = 0;
};

// Conversions shared by fields and grids.
QVariant ConvertToFieldType(const QVariant& value, FieldType type); // throws EConvertError
QString VariantToText(const QVariant& value);                        // "" for null
QString FieldTypeName(FieldType type);

class Dataset {
public:
    enum class State { Browse, Edit, Insert };

    // A handle on one field of the current record (the edit buffer while editing).
    class Field {
    public:
        Field(Dataset& ds, int index) : ds_(&ds), index_(index) {}
        const QString& Name() const;
        FieldType Type() const;
        int Index() const { return index_; }
        QVariant Value() const;
        bool IsNull() const { return !Value().isValid(); }
        QString AsString() const;       // "" for null
        qint64 AsInteger() const;       // 0 for null; throws EConvertError for non-numbers
        double AsFloat() const;         // 0 for null
        Currency AsCurrency() const;    // 0 for null
        QDateTime AsDateTime() const;   // invalid for null
        void SetValue(const QVariant& v); // needs Edit or Insert state
        void Clear() { SetValue(QVariant()); }
        Field& operator=(const QVariant& v) { SetValue(v); return *this; }

    private:
        Dataset* ds_;
        int index_;
    };

    Dataset() = default;
    explicit Dataset(QVector<FieldDef> fields);
    virtual ~Dataset();
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    // Structure
    void AddField(const QString& name, FieldType type); // only while empty
    int FieldCount() const { return fields_.size(); }
    const FieldDef& FieldDefAt(int i) const { return fields_.at(i); }
    const QVector<FieldDef>& Fields() const { return fields_; }
    int FieldIndex(const QString& name) const; // -1 when absent
    Field FieldByName(const QString& name);    // throws Exception when absent
    Field FieldAt(int i) { return Field(*this, i); }

    // Navigation. RecNo is the 0-based current record, -1 when there is none.
    int RecordCount() const { return rowCount_; }
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecNo() const { return current_; }
    void SetRecNo(int row);
    void First();
    void Last();
    void Next();  // past the last record sets Eof
    void Prior(); // before the first record sets Bof
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool Locate(const QString& field, const QVariant& value, bool ignoreCase = true);

    // Editing. Leaving Edit/Insert by navigation posts a modified buffer and drops an untouched one.
    State GetState() const { return state_; }
    bool Modified() const { return modified_; }
    // New record after the last one, state Insert. It is not counted by RecordCount until
    // posted; views show it as an extra last row (PendingRow).
    void Append();
    void Edit();   // edit the current record
    void Post();
    void Cancel();
    void Delete(); // deletes the current record (cancels a pending insert)
    void EmptyDataset();
    // Posts a modified buffer or drops an untouched one; nothing in Browse.
    void CheckBrowseMode();

    // Direct access to stored rows (not the edit buffer); used by views and loaders.
    QVariant At(int row, int field) const { return columns_[size_t(field)].Get(size_t(row)); }
    bool IsNullAt(int row, int field) const { return columns_[size_t(field)].IsNull(size_t(row)); }
    // Without a QVariant, for readers of many rows: a text field's UTF-8 bytes (valid until the
    // dataset changes; empty for null), and a date field's wall-clock date and time (invalid for
    // null).
    QByteArrayView TextBytesAt(int row, int field) const { return columns_[size_t(field)].TextBytes(size_t(row)); }
    QDate DateAt(int row, int field) const;
    QTime TimeAt(int row, int field) const;
    // Over a field's stored rows, a column at a time (footers): how many are not null, and the
    // sum of a number field (qlonglong, double or Currency as the field; invalid for the others).
    int CountAt(int field) const { return columns_[size_t(field)].Count(); }
    QVariant SumAt(int field) const { return columns_[size_t(field)].Sum(); }
    // The value a view shows: the edit buffer for the row being edited.
    QVariant DisplayValue(int row, int field) const;
    // Row index of the pending inserted record, or -1.
    int PendingRow() const { return state_ == State::Insert ? RecordCount() : -1; }
    // Loading: a new stored row of FieldCount() values in field order, observers not told. A
    // value not of its field's type is converted; one that cannot be leaves the dataset as it
    // was (EConvertError).
    void AppendRow(const QVariant* values);
    void AppendRow(const QVector<QVariant>& values);
    // Loading without QVariants, as the embedded engine's reader does: for each field in order
    // one Load call of the field's own type (or LoadNull), then EndRow. DropRow forgets the
    // values of a row not ended, when one of them could not be read. A call of another type
    // than the field's throws Exception.
    void LoadNull(int field) { columns_[size_t(field)].AppendNull(); }
    void LoadInteger(int field, qint64 v) { columns_[size_t(field)].AppendWord(FieldType::Integer, v); }
    void LoadFloat(int field, double v);
    void LoadCurrency(int field, Currency v) { columns_[size_t(field)].AppendWord(FieldType::Currency, v.Raw()); }
    // The local date and time as written, day and milliseconds since its midnight.
    void LoadDateTime(int field, QDate date, int msecsOfDay);
    void LoadText(int field, const char* utf8, qsizetype bytes) { columns_[size_t(field)].AppendText(utf8, bytes); }
    void LoadText(int field, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        LoadText(field, utf8.constData(), utf8.size());
    }
    // Any value, converted to the field's type as AppendRow converts it.
    void LoadValue(int field, const QVariant& v) { columns_[size_t(field)].Append(Normalized(v, fields_[field].type)); }
    void EndRow();
    void DropRow();
    void SetRawValue(int row, int field, const QVariant& v); // converted; observers told
    void Reserve(int rows);
    // After loading: storage trimmed, current record to the first, observers reset.
    void EndLoad();

    void AddObserver(DatasetObserver* o);
    void RemoveObserver(DatasetObserver* o);

private:
    friend class Field;
    void Notify(DatasetObserver::Change c, int row);
    void CheckActiveRecord() const;
    void SetCurrent(int row);
    QVariant& BufferValue(int field);

    // One field's values for every stored row.
    class Column {
    public:
        explicit Column(FieldType type) : type_(type) {}
        size_t Size() const { return nulls_.size(); }
        bool IsNull(size_t row) const { return nulls_[row] != 0; }
        QVariant Get(size_t row) const;
        QByteArrayView TextBytes(size_t row) const;
        qint64 StoredWord(size_t row) const { return words_[row]; }
        int Count() const;
        QVariant Sum() const;
        void Append(const QVariant& v); // v of the field's type, or null
        void AppendNull();
        void AppendWord(FieldType type, qint64 word);
        void AppendText(const char* utf8, qsizetype bytes);
        void Set(size_t row, const QVariant& v);
        void Erase(size_t row);
        void Clear();
        void Reserve(size_t rows);
        void Trim();

    private:
        size_t TextStart(size_t row) const { return row == 0 ? 0 : ends_[row - 1]; }
        void SetText(size_t row, const QString& text);
        void CheckType(FieldType type) const;

        FieldType type_;
        std::vector<quint8> nulls_;  // 1 where the value is null
        std::vector<qint64> words_;  // numbers: the integer, the double's bits, the currency's
                                     // raw value, a date's milliseconds since the epoch
        std::string text_;           // texts: UTF-8, row after row
        std::vector<quint32> ends_;  // texts: where each row's text ends in text_
    };

    // The value as the field stores it: v itself when it is of the type already.
    static QVariant Normalized(const QVariant& v, FieldType type);

    QVector<FieldDef> fields_;
    std::vector<Column> columns_; // one per field
    int rowCount_ = 0;
    QVector<QVariant> buffer_;   // edit buffer in Edit / Insert
    State state_ = State::Browse;
    bool modified_ = false;
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    std::vector<DatasetObserver*> observers_;
};

} // namespace platform
