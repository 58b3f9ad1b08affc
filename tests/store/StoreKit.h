#pragma once

#include "SiteRows.h"
#include "TestFolder.h"

#include <QObject>

// What the store tests share: a fresh register for every test, and a data module
// pointed at it.
class StoreKit : public QObject
{
    Q_OBJECT

protected:
    TestFolder *m_world = nullptr;
    SiteRegister *m_module = nullptr;

private slots:
    void init()
    {
        m_world = new TestFolder;
        m_module = new SiteRegister;
        m_world->pointAt(*m_module->connection());
    }
    void cleanup()
    {
        delete m_module;
        delete m_world;
    }
};
