#pragma once

#include "DialogRecorder.h"
#include "TestWorld.h"
#include "WindowControls.h"
#include "app/Startup.h"
#include "platform/PrivateFonts.h"

#include "store/Connection.h"
#include "store/SiteRegister.h"

#include <QObject>

#include <memory>

// What the expiry and settings window tests share: a fresh world for every test, with
// every message box answered by the recorder and the shared connection on its register.
class ExpiryWindowKit : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<TestWorld> m_world;
    std::unique_ptr<DialogRecorder> m_dialogs;

private slots:
    // The program's look and fonts, so the layout checks measure what the user sees.
    void initTestCase()
    {
        applyLook();
        PrivateFonts().add();
    }
    void init()
    {
        m_world = std::make_unique<TestWorld>(true);
        m_dialogs = std::make_unique<DialogRecorder>();
        m_world->pointAt(*siteRegister()->connection());
    }
    void cleanup()
    {
        m_dialogs.reset();
        m_world.reset();
    }
};
