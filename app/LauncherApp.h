// The launcher's application object: runs the main dialog once and ends.
#pragma once

#include "platform/WinApp.h"

class CLauncherApp : public CWinApp {
public:
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};
