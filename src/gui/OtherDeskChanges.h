#pragma once

#include <QObject>
#include <QTimer>

class Connection;

// Gathers the notices that other desks changed the register into one reading-again a quarter
// of a second after the first, so a burst of changes costs one reload. While a dialog or a menu
// is open it waits: the action behind it still holds rows of the list as the user saw it.
class OtherDeskChanges : public QObject
{
    Q_OBJECT
public:
    explicit OtherDeskChanges(Connection *connection, QObject *parent = nullptr);

signals:
    void readAgain();

private:
    void gathered();

    QTimer m_gathering;
};
