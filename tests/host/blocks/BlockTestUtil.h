#pragma once
// Readable failure output for Qt values in this test program.
#include <QString>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
