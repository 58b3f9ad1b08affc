#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QThread>

// Where the desks' register is: a file, or a database on the server.
struct DeskRegister
{
    QString path;     // an SQLite register, when conninfo is empty
    QString conninfo; // libpq options of a server register
    int sites = 0;    // the register's site ids run 1..sites
};

// A save that went through: the site, the version the save gave it, and the remark it wrote.
struct DoneSave
{
    qint64 id = 0;
    qint64 version = 0;
    QString remark;
};

struct DeskFigures
{
    QList<double> refreshMs;
    int searches = 0;
    int saves = 0;
    int refused = 0;  // the site changed since it was loaded: the version check said no
    int failed = 0;   // the register could not take the save (on SQLite: locked too long)
    int badLists = 0; // a refresh that did not show every site, or a search that missed one
    double longestStepMs = 0;
    QList<DoneSave> done;
    QString lastFailure; // why a save failed, the last time one did
    QString error;        // what stopped the desk before its time, if anything
};

// One member of staff at a desk with a connection of its own, until the deadline, over and over:
// refresh the main list; then five times search the list for a site's address, load a site and
// save its remark section with the version it was loaded with. One save in four goes to one of
// fifty busy sites, so desks meet on the same site and the version check has work to do.
class TeamDesk : public QThread
{
public:
    TeamDesk(const DeskRegister &where, int number, QDeadlineTimer deadline);
    const DeskFigures &figures() const { return m_figures; }

protected:
    void run() override;

private:
    void work();

    DeskRegister m_where;
    int m_number;
    QDeadlineTimer m_deadline;
    DeskFigures m_figures;
};
