// The framework's application object: one global instance, whose
// InitInstance runs the program. Returning false from it ends the process
// without running the framework's message loop.
#pragma once

#include "platform/Wnd.h"

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // The standard Help command handler. No help file ships, so it does
    // nothing.
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();

// Hosting of ActiveX controls in dialogs, and the 3-D look of dialog
// controls. Our dialogs hold only the system's own controls, and Windows
// draws them in 3-D by itself, so neither has anything left to do.
void AfxEnableControlContainer();
void Enable3dControlsStatic();
