#include "TestWorld.h"

#include "app/Startup.h"

TestWorld::TestWorld(bool withWindows) : m_withWindows(withWindows)
{
    if (m_withWindows)
        createGlobalObjects();
}

TestWorld::~TestWorld()
{
    if (m_withWindows)
        destroyGlobalObjects();
}
