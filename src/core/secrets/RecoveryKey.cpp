#include "secrets/RecoveryKey.h"

#include "secrets/DataKey.h"

#include <QStringList>

#include <cstring>

#include <sodium.h>

namespace {

// Crockford's base-32 alphabet: 5 bits a character.
const char Alphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
const int Groups = 8;
const int GroupSize = 5;

QString grouped(const QString &characters)
{
    QStringList groups;
    for (int at = 0; at < characters.size(); at += GroupSize)
        groups << characters.mid(at, GroupSize);
    return groups.join(QLatin1Char('-'));
}

} // namespace

namespace RecoveryKey {

QString generate()
{
    Sodium::ensureReady();
    QString characters;
    for (int i = 0; i < Groups * GroupSize; ++i)
        characters += QLatin1Char(Alphabet[randombytes_uniform(32)]);
    return grouped(characters);
}

QString normalized(const QString &typed)
{
    QString characters;
    for (QChar c : typed.toUpper()) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('-'))
            continue;
        if (c == QLatin1Char('O'))
            c = QLatin1Char('0');
        else if (c == QLatin1Char('I') || c == QLatin1Char('L'))
            c = QLatin1Char('1');
        if (c.unicode() > 127 || !std::strchr(Alphabet, char(c.unicode())) || c.unicode() == 0)
            return QString();
        characters += c;
    }
    return characters.size() == Groups * GroupSize ? grouped(characters) : QString();
}

} // namespace RecoveryKey
