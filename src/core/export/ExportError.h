#pragma once

#include <QString>

#include <stdexcept>

// Raised by the writers when a file cannot be made or written, or when the
// grid holds more than the chosen format can carry.
class ExportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    // reason: one line for the user that says what to do about it.
    ExportError(const std::string &what, const QString &reason) : std::runtime_error(what), m_reason(reason)
    {
    }

    // Empty when there is nothing the user can act on.
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};
