#pragma once

#include "secrets/KeySlot.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

class Connection;

// Switching a register's protection on and off, and its key slots. Each step is one transaction,
// so a step stopped at any moment leaves the register as it was before or after it; the key.exe
// record is written before protection goes off and taken away after it came on, and a login to a
// protected register takes away any left behind.
namespace Protection {

// The password opens no slot (or, for switching on, is not the login password).
class WrongPassword : public std::runtime_error
{
public:
    WrongPassword() : std::runtime_error("wrong password") {}
};

// A step refused for a reason the user can act on; message() is the line to show.
class Refused : public std::runtime_error
{
public:
    explicit Refused(const QString &message) : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The first slot's name: the account's user name.
QString defaultSlotName();
QStringList slotNames(Connection *connection);

// Opens a protected register with the password: the connection gets its seal. Tries the slot
// named first, then the others; returns the name of the slot that opened, empty when none did.
QString unlock(Connection *connection, const QString &password, const QString &firstTried = QString());

// Seals every credential under a new data key whose only slot is the login password's, then takes
// the login password out of key.exe. Throws WrongPassword when it is not the login password.
void protect(Connection *connection, const QString &slotName, const QString &loginPassword,
             const PasswordCost &cost = PasswordCost::moderate());
// Writes every credential back scrambled as it was and removes the slots; the password opening
// a slot becomes the login password in key.exe again.
void unprotect(Connection *connection, const QString &password);

void addSlot(Connection *connection, const QString &password, const QString &name, const QString &newPassword,
             const PasswordCost &cost = PasswordCost::moderate());
// Never the last slot.
void removeSlot(Connection *connection, const QString &password, const QString &name);
// Wraps the data key anew for the slot the current password opens; returns that slot's name.
QString changePassword(Connection *connection, const QString &currentPassword, const QString &newPassword,
                       const PasswordCost &cost = PasswordCost::moderate());

} // namespace Protection
