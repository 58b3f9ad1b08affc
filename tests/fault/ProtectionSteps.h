#pragma once

#include "sites/Protection.h"
#include "store/Connection.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

// The protection steps the kill tests interrupt, each from a known state of the register to a
// known next one and back. Slots are made at the cheapest password costs, so that a kill lands in
// the register's writes rather than in Argon2id.
//
// The states: unprotected with key.exe holding the first password; protected with slot 甲
// opened by the first password; the same with slot 乙 opened by the second; slot 甲 opened by
// the second.
namespace ProtectionSteps {

const QString FirstSlot = QStringLiteral("甲");
const QString SecondSlot = QStringLiteral("乙");
const QString FirstPassword = QStringLiteral("第一个 password");
const QString SecondPassword = QStringLiteral(" 第二个password");

// Runs the step named: protect, unprotect, addslot, removeslot, password (first to second) or
// passwordback (second to first).
inline void run(const QString &step, Connection *connection)
{
    const PasswordCost cost = PasswordCost::cheapest();
    if (step == QLatin1String("protect"))
        Protection::protect(connection, FirstSlot, FirstPassword, cost);
    else if (step == QLatin1String("unprotect"))
        Protection::unprotect(connection, FirstPassword);
    else if (step == QLatin1String("addslot"))
        Protection::addSlot(connection, FirstPassword, SecondSlot, SecondPassword, cost);
    else if (step == QLatin1String("removeslot"))
        Protection::removeSlot(connection, FirstPassword, SecondSlot);
    else if (step == QLatin1String("password"))
        Protection::changePassword(connection, FirstPassword, SecondPassword, cost);
    else if (step == QLatin1String("passwordback"))
        Protection::changePassword(connection, SecondPassword, FirstPassword, cost);
    else
        throw std::invalid_argument("no such protection step");
}

// The step that undoes the one named.
inline QString opposite(const QString &step)
{
    const QStringList pairs[] = {{QStringLiteral("protect"), QStringLiteral("unprotect")},
                                 {QStringLiteral("addslot"), QStringLiteral("removeslot")},
                                 {QStringLiteral("password"), QStringLiteral("passwordback")}};
    for (const QStringList &pair : pairs)
        if (pair.contains(step))
            return pair.at(1 - pair.indexOf(step));
    throw std::invalid_argument("no such protection step");
}

} // namespace ProtectionSteps
