#pragma once

#include <QString>

#include <stdexcept>

// Where the register, the carriers and the exports live for one run, and a first start's
// fresh register.
namespace RegisterFolder {

enum class Kind {
    Portable, // the executable's own folder, used exactly as it is
    Named,    // --register-folder DIR
    UserData, // $XDG_DATA_HOME/corvane, the installed program's
};

struct Choice
{
    Kind kind = Kind::Portable;
    QString folder;
};

// A folder that could not be made ready, with the reason in the program's words.
class PreparationError : public std::runtime_error
{
public:
    explicit PreparationError(const QString &reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason)
    {
    }
    QString reason() const { return m_reason; }

private:
    QString m_reason;
};

// The named folder when there is one; the program's own folder when it holds db.mdb or
// portable is asked for, so an earlier installation dropped beside the program just works;
// the user's data folder otherwise.
Choice choose(const QString &named, bool portable, const QString &programFolder);
// $XDG_DATA_HOME/corvane, usually ~/.local/share/corvane.
QString userDataFolder();
// The user's data folder is made owner-only (and made, with its parents, when missing).
// A named folder or the data folder without db.mdb gets a fresh register and empty carriers
// where they are missing; a register already there is never touched, nor is anything in
// the portable folder. Throws PreparationError.
void prepare(const Choice &choice);

} // namespace RegisterFolder
