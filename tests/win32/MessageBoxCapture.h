// Captures every message box that the dialogs under test show, as the user
// would see it (caption, text, icon, system-modality, owner), and closes it
// with OK, so dialog tests run unattended.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

enum class BoxIcon { none, stop, exclamation, other };

struct CapturedBox {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::none;
    bool systemModal = false; // WS_EX_TOPMOST
    HWND owner = nullptr;
    bool ownerVisible = false; // while the box was up
};

// A thread hook sees every message box of the thread as its initialisation
// returns, when its text and icon are in place, records it and posts it the
// OK command, which its own modal loop then carries out. (A hook on
// activation comes too early: Wine activates a system-modal box before it
// has filled in its text.)
class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    const std::vector<CapturedBox>& Boxes() const { return m_boxes; }
    // The boxes captured so far, which are then forgotten.
    std::vector<CapturedBox> Take();

private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);
    void CaptureAndClose(HWND box);

    HHOOK m_hook = nullptr;
    std::vector<CapturedBox> m_boxes;
};

// A message box as the tests expect it; the caption is always the test
// executable's own name (TEST_APP_TITLE, set per target by the build).
#ifdef TEST_APP_TITLE
inline CapturedBox ExpectedBox(BoxIcon icon, std::string text, bool systemModal = false) {
    CapturedBox box;
    box.caption = TEST_APP_TITLE;
    box.text = std::move(text);
    box.icon = icon;
    box.systemModal = systemModal;
    return box;
}
#endif

// One line per box: caption, text, icon and modality, for comparing lists of
// boxes in assertions that show both sides.
std::string Describe(const std::vector<CapturedBox>& boxes);
std::ostream& operator<<(std::ostream& out, const CapturedBox& box);
