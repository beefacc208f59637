#pragma once
// The exception family of the platform layer. Header-only on purpose: the module and its host
// each compile these, and an exception thrown on one side is caught by type on the other.
#include <QString>
#include <QByteArray>
#include <exception>

namespace platform {

// Base of every error the platform, the module and the host raise on purpose.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A silent end of the running command: the slot guard swallows it without a report.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// A value could not be converted (text to number, text to date, ...).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raised by the database service: carries the engine's own message.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

} // namespace platform
