#pragma once
// Records from rows: a record is a QObject whose values are Q_PROPERTYs, and a row fills it by
// column name, ignoring case. The database service's LoadObjects and the forms that take a
// record from a dataset's current row share this one rule. No UI.
#include <QMetaType>
#include <QStringList>
#include <QVariant>
#include <vector>

class QObject;
struct QMetaObject;

namespace platform {

class Dataset;

// A value converted to a property's type; null gives the type's empty value ("", 0, an invalid
// date-time). Throws EConvertError when the value has no form in that type.
QVariant ToPropertyValue(const QVariant& value, QMetaType type);

// The columns of one result matched to the writable properties of one record class.
class RecordFields {
public:
    // Each column goes to the property of its name; a column without one is left out, and of a
    // repeated column name the first wins. With properties given, only those take part.
    RecordFields(const QMetaObject& recordClass, const QStringList& columns, const QStringList& properties = {});

    // Writes the row (one value per column, in column order) to the matched properties; the
    // record's other properties keep their values. The record must be of the class or derived.
    // Throws EConvertError naming the column when a value cannot be converted or written.
    void Fill(QObject& record, const QVariant* row) const;

    int MatchedCount() const { return int(targets_.size()); }

private:
    struct Target {
        int column;
        int property;
        QString name; // the column's name, for messages
    };
    const QMetaObject* meta_;
    std::vector<Target> targets_;
};

// Fills record from the dataset's current row (the edit buffer while editing; nulls when there
// is no current row), as RecordFields does with the dataset's field names.
void FillRecord(QObject& record, const Dataset& ds, const QStringList& properties = {});

} // namespace platform
