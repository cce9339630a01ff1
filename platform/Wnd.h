// The framework's object, command target and window classes, and the
// message tables that map messages and control notifications to handlers.
#pragma once

#include <windows.h>

class CArchive;
class CDataExchange;
class CWnd;
class CCmdTarget;

// The framework's Help command.
#define ID_HELP 0xE146

// --- message tables --------------------------------------------------------

// Calls one handler. Handlers that want the message to go on to the default
// handling afterwards call CWnd::Default().
using AfxMsgCall = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode; // WM_COMMAND: the notification code
    UINT nID;   // WM_COMMAND: the control or command id
    AfxMsgCall pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Finds the entry for a message in a table and its bases; nullptr if none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);

namespace afxmsg {
template <class T, auto F>
LRESULT Void(CCmdTarget& t, WPARAM, LPARAM) {
    (static_cast<T&>(t).*F)();
    return 0;
}
template <class T, auto F>
LRESULT SysCommand(CCmdTarget& t, WPARAM w, LPARAM l) {
    (static_cast<T&>(t).*F)(static_cast<UINT>(w), l);
    return 0;
}
template <class T, auto F>
LRESULT Timer(CCmdTarget& t, WPARAM w, LPARAM) {
    (static_cast<T&>(t).*F)(static_cast<UINT_PTR>(w));
    return 0;
}
template <class T, auto F>
LRESULT QueryDragIcon(CCmdTarget& t, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<T&>(t).*F)());
}
} // namespace afxmsg

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {0, 0, 0, nullptr}                                                                             \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries};                     \
    return &map;                                                                                   \
    }

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (id), &afxmsg::Void<ThisClass, memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, (id), &afxmsg::Void<ThisClass, memberFxn>},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &afxmsg::SysCommand<ThisClass, &ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &afxmsg::Void<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, &afxmsg::QueryDragIcon<ThisClass, &ThisClass::OnQueryDragIcon>},
// WM_TIMER with a handler of the class's own naming.
#define ON_WM_TIMER_CALL(memberFxn) {WM_TIMER, 0, 0, &afxmsg::Timer<ThisClass, memberFxn>},

// --- classes -----------------------------------------------------------------

class CObject {
public:
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
};

class CCmdTarget : public CObject {
public:
    // Runs the handler of a command (WM_COMMAND) if this target's table has
    // one; returns whether it did.
    virtual bool OnCmdMsg(UINT id, UINT code);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    virtual BOOL DestroyWindow();
    virtual void DoDataExchange(CDataExchange* pDX);

    // Runs DoDataExchange in one direction: true takes the controls' values
    // into the members with validation, false shows the members in the
    // controls. Returns false when a step failed; the user has been told.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void CheckRadioButton(int firstId, int lastId, int checkId) {
        ::CheckRadioButton(m_hWnd, firstId, lastId, checkId);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    HICON SetIcon(HICON icon, BOOL bigIcon) {
        return reinterpret_cast<HICON>(
            SendMessageA(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    // Centres over the owner, or on the work area when the owner is hidden
    // or minimised, and keeps the window within the work area.
    void CenterWindow();

    // From a handler: hand the current message on to the default handling
    // once the handler returns.
    void Default();

    // Finds and runs this window's handler for a message. Returns false when
    // the message is to go to the default handling.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND m_hWnd = nullptr;

protected:
    // While set, notifications from the window's controls are ignored (the
    // exchange changes controls and must not trigger their handlers).
    bool m_bLockoutNotify = false;

private:
    bool* m_pPassToDefault = nullptr;
};

// The application object, the framework's main window and its instance.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
