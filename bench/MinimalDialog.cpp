// The start-up benchmark's baseline: the launcher's own main dialog template,
// from the launcher's own resources, under a dialog procedure that does
// nothing. What Quillmere.exe takes beyond this program to show the same
// window is the cost of its own start-up.
#include "ui/resource.h"

#include <windows.h>

static INT_PTR CALLBACK MinimalProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    // WM_CLOSE reaches here as IDCANCEL through the default dialog procedure.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// The template carries WS_VISIBLE, so the dialog manager shows the window
// once WM_INITDIALOG has returned, as it does for the launcher.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LAUNCHER_DIALOG), nullptr, MinimalProc, 0));
}
