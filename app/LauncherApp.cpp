// Start-up: the main dialog is the whole program.
#include "app/LauncherApp.h"

#include "app/LauncherDlg.h"

BEGIN_MESSAGE_MAP(CLauncherApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CLauncherApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    {
        CLauncherDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // False ends the program without entering the application's message loop.
    return FALSE;
}
