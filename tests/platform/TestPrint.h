#pragma once
// Readable Qt values in test failure messages.
#include <QString>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(u'|').toStdString(); }
inline void PrintTo(const QVariant& v, std::ostream* os) { *os << v.typeName() << ':' << v.toString().toStdString(); }
