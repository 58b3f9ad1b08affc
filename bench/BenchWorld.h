#pragma once

#include "TestWorld.h"
#include "gui/MainWindow.h"
#include "gui/SiteGrid.h"

#include <QApplication>
#include <QFile>

// A world whose register is a copy of the given one (the world's own fresh one replaced),
// with the main window shown.
class CopiedWorld
{
public:
    explicit CopiedWorld(const QString &registerPath) : m_world(false)
    {
        QFile::remove(m_world.databasePath());
        if (!QFile::copy(registerPath, m_world.databasePath()))
            qFatal("cannot copy the register");
        m_world.restart();
        mainWindow()->show();
        QApplication::processEvents();
    }
    TestWorld &world() { return m_world; }

private:
    TestWorld m_world;
};

inline SiteGrid *siteGrid()
{
    return mainWindow()->findChild<SiteGrid *>(QStringLiteral("siteGrid"));
}
