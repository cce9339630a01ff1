// The About box: the application icon, name and version.
#pragma once

#include "platform/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
