// The dialog procedure, the modal run and the OK and Cancel commands.
#include "platform/Dialog.h"

#include "platform/ErrorReport.h"
#include "platform/WinApp.h"

#include <cstring>

namespace {

// Nesting depth of modal runs: a quit message that reaches an inner run is
// posted again so that the runs outside it end too.
int g_modalDepth = 0;

// Messages whose dialog-procedure result is the message's own result rather
// than a handled flag.
bool ReturnsValueDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

// Whether the report of a timer tick's error is on screen.
bool g_tickReportOpen = false;

// Reports the error that left the handler of `message`; call it only from
// inside a catch block. Ticks go on inside a report's own message loop, as
// they do in any modal box, so a failure that comes back at every period
// would open a box at each, nested in the last: while a tick's report is
// open, a later tick's failure shows no box of its own, the open one
// standing for it. Once that box is closed, the next failure is reported.
void ReportHandlerError(HWND hwnd, UINT message) {
    if (message != WM_TIMER) {
        ReportCurrentException(hwnd);
        return;
    }
    if (g_tickReportOpen)
        return;
    g_tickReportOpen = true;
    ReportCurrentException(hwnd);
    g_tickReportOpen = false;
}

struct TemplatePlacement {
    DWORD style;
    short x;
    short y;
};

// Reads style and position from a standard or an extended dialog template.
TemplatePlacement ReadPlacement(const void* resource) {
    const auto* words = static_cast<const WORD*>(resource);
    if (words[0] == 1 && words[1] == 0xFFFF) {
        const auto* ex = static_cast<const BYTE*>(resource);
        // DLGTEMPLATEEX: dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y
        DWORD style;
        short x, y;
        std::memcpy(&style, ex + 12, sizeof style);
        std::memcpy(&x, ex + 18, sizeof x);
        std::memcpy(&y, ex + 20, sizeof y);
        return {style, x, y};
    }
    const auto* plain = static_cast<const DLGTEMPLATE*>(resource);
    return {plain->style, plain->x, plain->y};
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bModalEnded = true;
    // Wakes the modal loop, as the system's own EndDialog does: a command
    // sent from another thread or process is handled inside GetMessage,
    // which would otherwise go on waiting for some other message.
    if (m_hWnd != nullptr)
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

INT_PTR CDialog::DoModal() {
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    m_lpTemplate = loaded ? LockResource(loaded) : nullptr;
    if (m_lpTemplate == nullptr)
        return -1;

    CWnd* ownerWnd = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    HWND owner = ownerWnd != nullptr ? ownerWnd->m_hWnd : nullptr;
    const bool disabledOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disabledOwner)
        ::EnableWindow(owner, FALSE);

    m_bModalEnded = false;
    m_nModalResult = -1;
    HWND created = CreateDialogIndirectParamA(instance, static_cast<LPCDLGTEMPLATEA>(m_lpTemplate),
                                              owner, &CDialog::DialogProc,
                                              reinterpret_cast<LPARAM>(this));
    if (created != nullptr) {
        MakeFocusedButtonDefault();
        RunModalLoop();
    }

    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (disabledOwner) {
        ::EnableWindow(owner, TRUE);
        if (m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(owner);
    }
    if (m_hWnd != nullptr) {
        // The one call into the dialog outside message handling: its errors
        // are reported here, as a handler's would be.
        try {
            DestroyWindow();
        } catch (...) {
            ReportCurrentException(m_hWnd);
        }
        if (m_hWnd != nullptr)
            CWnd::DestroyWindow();
    }
    m_lpTemplate = nullptr;
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    ++g_modalDepth;
    // A template without WS_VISIBLE is shown now that it is initialised and
    // placed, before the run dispatches anything else to it.
    if (!m_bModalEnded && m_hWnd != nullptr && !::IsWindowVisible(m_hWnd)) {
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        ::UpdateWindow(m_hWnd);
    }
    MSG msg;
    while (!m_bModalEnded) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0 && g_modalDepth > 1)
                PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (m_hWnd == nullptr || !IsDialogMessageA(m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    --g_modalDepth;
}

void CDialog::MakeFocusedButtonDefault() {
    // Windows makes a push button that takes the first focus the default
    // one, so Enter clicks it; Wine does so only when the focus moves later.
    // Handing the focus over once more through the dialog manager gives the
    // same result on both.
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(m_hWnd, focus) &&
        (::SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
}

BOOL CDialog::HandleInitDialog() {
    BOOL result = FALSE;
    try {
        result = OnInitDialog();
    } catch (...) {
        // The rest of the initialisation is skipped; it counts as having
        // returned false, and the dialog runs on.
        ReportCurrentException(m_hWnd);
    }
    CenterIfAutoPlaced();
    return result;
}

void CDialog::CenterIfAutoPlaced() {
    // A dialog that has not placed itself (hidden at creation, at 0,0, no
    // positioning style) is centred when its owner is disabled for a modal run
    // or when it has no owner.
    if (m_lpTemplate == nullptr || ::IsWindowVisible(m_hWnd))
        return;
    const TemplatePlacement placement = ReadPlacement(m_lpTemplate);
    if ((placement.style & (DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE | WS_CHILD)) != 0 ||
        placement.x != 0 || placement.y != 0)
        return;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowEnabled(owner))
        return;
    CenterWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
        return self->HandleInitDialog();
    }
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }

    LRESULT result = 0;
    bool handled = false;
    // The one place that catches: an error that leaves a handler is reported
    // for that message, and the dialog goes on running.
    try {
        handled = self->OnWndMsg(message, wParam, lParam, result);
    } catch (...) {
        ReportHandlerError(hwnd, message);
        handled = true;
        result = 0;
    }
    if (!handled)
        return FALSE;
    if (ReturnsValueDirectly(message))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
