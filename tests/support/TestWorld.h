#pragma once

#include "TestFolder.h"

// The test folder with the global objects created as at start (and destroyed at
// the end). TestWorld(false) is the folder alone.
class TestWorld : public TestFolder
{
public:
    explicit TestWorld(bool withWindows = true);
    ~TestWorld();

private:
    bool m_withWindows;
};
