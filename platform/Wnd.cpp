// Message tables, the command route and the window operations of the
// framework's window class.
#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/WinApp.h"

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
    for (; map != nullptr; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
            if (e->nMessage != message)
                continue;
            if (message == WM_COMMAND && (e->nCode != code || e->nID != id))
                continue;
            return e;
        }
    }
    return nullptr;
}

void CObject::Serialize(CArchive&) {}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, code, id);
    if (e == nullptr)
        return false;
    e->pfn(*this, MAKEWPARAM(id, code), 0);
    return true;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr)
        return FALSE;
    const BOOL destroyed = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return destroyed;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate != FALSE);
    const bool wasLocked = m_bLockoutNotify;
    m_bLockoutNotify = true;
    BOOL ok = FALSE;
    try {
        DoDataExchange(&dx);
        ok = TRUE;
    } catch (const CUserException&) {
        // A failed step has already told the user and placed the focus.
    } catch (...) {
        m_bLockoutNotify = wasLocked;
        throw;
    }
    m_bLockoutNotify = wasLocked;
    return ok;
}

void CWnd::Default() {
    if (m_pPassToDefault != nullptr)
        *m_pPassToDefault = true;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const UINT code = (message == WM_COMMAND) ? HIWORD(wParam) : 0;
    const UINT id = (message == WM_COMMAND) ? LOWORD(wParam) : 0;
    if (message == WM_COMMAND && lParam != 0 && m_bLockoutNotify)
        return true;

    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, code, id);
    if (e == nullptr) {
        // Commands this window does not handle go on to the application.
        if (message == WM_COMMAND) {
            CWinApp* app = AfxGetApp();
            if (app != nullptr && app->OnCmdMsg(id, code)) {
                result = 0;
                return true;
            }
        }
        return false;
    }

    bool passToDefault = false;
    bool* const outer = m_pPassToDefault;
    m_pPassToDefault = &passToDefault;
    try {
        result = e->pfn(*this, wParam, lParam);
    } catch (...) {
        m_pPassToDefault = outer;
        throw;
    }
    m_pPassToDefault = outer;
    return !passToDefault;
}

void CWnd::CenterWindow() {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && (!::IsWindowVisible(owner) || ::IsIconic(owner)))
        owner = nullptr;

    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(owner != nullptr ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    const RECT work = monitor.rcWork;

    RECT centre = work;
    if (owner != nullptr)
        ::GetWindowRect(owner, &centre);

    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG left = (centre.left + centre.right) / 2 - width / 2;
    LONG top = (centre.top + centre.bottom) / 2 - height / 2;

    // Keep the whole window on the work area, its top-left corner first.
    if (left + width > work.right)
        left = work.right - width;
    if (left < work.left)
        left = work.left;
    if (top + height > work.bottom)
        top = work.bottom - height;
    if (top < work.top)
        top = work.top;

    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
