// The framework's dialog: a dialog template, one static dialog procedure
// that binds the object at WM_INITDIALOG and dispatches through the message
// tables, a modal run of its own, and the OK and Cancel commands.
#pragma once

#include "platform/Wnd.h"

class CDialog : public CWnd {
public:
    // `parent` may be nullptr: the modal run then uses the application's main
    // window as owner, and disables it for the run.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Creates the dialog, runs its modal loop, then hides it, gives the
    // owner back its input and calls DestroyWindow. Returns the result given
    // to EndDialog, or -1 when the dialog could not be created or the run was
    // ended by a quit message.
    virtual INT_PTR DoModal();

    // The framework's initialisation shows the members in the controls.
    // Returning true lets the dialog manager focus the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void EndDialog(int result);

protected:
    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL HandleInitDialog();
    void CenterIfAutoPlaced();
    void MakeFocusedButtonDefault();
    void RunModalLoop();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    const void* m_lpTemplate = nullptr;
    bool m_bModalEnded = false;
    INT_PTR m_nModalResult = -1;
};
