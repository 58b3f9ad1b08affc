#include "gui/OtherDeskChanges.h"

#include "store/Connection.h"

#include <QApplication>

OtherDeskChanges::OtherDeskChanges(Connection *connection, QObject *parent) : QObject(parent)
{
    m_gathering.setSingleShot(true);
    m_gathering.setInterval(250);
    // A change during the wait joins it instead of putting the reload off.
    connect(connection, &Connection::changedElsewhere, this, [this] {
        if (!m_gathering.isActive())
            m_gathering.start();
    });
    connect(&m_gathering, &QTimer::timeout, this, &OtherDeskChanges::gathered);
}

void OtherDeskChanges::gathered()
{
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        m_gathering.start();
    else
        emit readAgain();
}
