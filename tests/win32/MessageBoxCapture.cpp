// Message box capture through a thread hook on returned messages.
#include "MessageBoxCapture.h"

#include <algorithm>
#include <sstream>

namespace {

MessageBoxCapture* g_capture = nullptr;

// Message boxes are dialogs of the dialog class created with DS_NOIDLEMSG
// (Windows and Wine alike); the program's own templates never use it.
bool IsMessageBox(HWND window) {
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    return std::string(cls) == "#32770" &&
           (GetWindowLongA(window, GWL_STYLE) & DS_NOIDLEMSG) != 0;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Windows gives the icon static the id 20, Wine 1088; the SS_ICON style is
// what they share.
BoxIcon IconOf(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        const HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (icon == nullptr || (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) == 0)
            continue;
        if (icon == LoadIconA(nullptr, IDI_HAND))
            return BoxIcon::stop;
        if (icon == LoadIconA(nullptr, IDI_EXCLAMATION))
            return BoxIcon::exclamation;
        return BoxIcon::other;
    }
    return BoxIcon::none;
}

const char* Name(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::none: return "no icon";
    case BoxIcon::stop: return "stop icon";
    case BoxIcon::exclamation: return "exclamation icon";
    default: return "other icon";
    }
}

} // namespace

MessageBoxCapture::MessageBoxCapture() {
    g_capture = this;
    m_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, &MessageBoxCapture::AfterMessage, nullptr,
                               GetCurrentThreadId());
}

MessageBoxCapture::~MessageBoxCapture() {
    UnhookWindowsHookEx(m_hook);
    g_capture = nullptr;
}

std::vector<CapturedBox> MessageBoxCapture::Take() {
    std::vector<CapturedBox> taken;
    taken.swap(m_boxes);
    return taken;
}

LRESULT CALLBACK MessageBoxCapture::AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && g_capture != nullptr && sent->message == WM_INITDIALOG &&
        IsMessageBox(sent->hwnd))
        g_capture->CaptureAndClose(sent->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxCapture::CaptureAndClose(HWND box) {
    CapturedBox captured;
    captured.caption = TextOf(box);
    captured.text = TextOf(GetDlgItem(box, 0xFFFF));
    captured.icon = IconOf(box);
    captured.systemModal = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    captured.owner = GetWindow(box, GW_OWNER);
    captured.ownerVisible = captured.owner != nullptr && IsWindowVisible(captured.owner);
    m_boxes.push_back(captured);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

std::ostream& operator<<(std::ostream& out, const CapturedBox& box) {
    return out << '"' << box.caption << "\": \"" << box.text << "\", " << Name(box.icon)
               << (box.systemModal ? ", system-modal" : "");
}

std::string Describe(const std::vector<CapturedBox>& boxes) {
    std::ostringstream out;
    if (boxes.empty())
        out << "(no message box)";
    for (const CapturedBox& box : boxes)
        out << box << "\n";
    return out.str();
}
