#pragma once

#include <QString>

// A recovery key: 200 random bits as 8 groups of 5 characters, from an alphabet without letters
// that read like digits, to be printed and kept. It serves as the password of its own slot.
namespace RecoveryKey {

QString generate();
// The key in its printed form ("ABCDE-FGHJK-…") from what was typed: any letter case, blanks or
// dashes anywhere, O for 0 and I or L for 1; empty when the text is no recovery key.
QString normalized(const QString &typed);

} // namespace RecoveryKey
