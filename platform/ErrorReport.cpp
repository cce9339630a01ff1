// Message boxes with the application's title, and error reports.
#include "platform/ErrorReport.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// The title into a caller's buffer, without allocating.
void CopyAppTitle(char* title, DWORD size) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH] = '\0';
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    std::size_t end = std::strlen(name);
    if (const char* dot = std::strrchr(name, '.'); dot != nullptr && dot != name)
        end = static_cast<std::size_t>(dot - name);
    if (end >= size)
        end = size - 1;
    std::memcpy(title, name, end);
    title[end] = '\0';
}

constexpr char kUnexpectedErrorText[] = "An unexpected error occurred.";

// The box in front of `owner`: the last popup it activated (a message box or
// the About box raised over it), or itself. A report raised while another
// box is open belongs to that box: owned by the window behind it, closing the
// report would hand the keyboard to that window, disabled or hidden, and
// leave the box in front without it.
HWND FrontBoxOf(HWND owner) { return owner != nullptr ? GetLastActivePopup(owner) : nullptr; }

} // namespace

std::string AfxGetAppTitle() {
    char title[MAX_PATH + 1];
    CopyAppTitle(title, sizeof title);
    return title;
}

int AfxMessageBox(HWND owner, const std::string& text, UINT type) {
    return MessageBoxA(FrontBoxOf(owner), text.c_str(), AfxGetAppTitle().c_str(), type);
}

void ReportOutOfMemory(HWND owner) noexcept {
    char title[MAX_PATH + 1];
    CopyAppTitle(title, sizeof title);
    // System-modal: with memory exhausted, the box must come up whatever the
    // state of the program's own windows.
    MessageBoxA(FrontBoxOf(owner), kOutOfMemoryText, title, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}

void ReportCurrentException(HWND owner) noexcept {
    try {
        try {
            throw;
        } catch (const CMemoryException&) {
            ReportOutOfMemory(owner);
        } catch (const CException& e) {
            AfxMessageBox(owner, e.GetErrorMessage(), MB_OK | MB_ICONSTOP);
        } catch (const std::bad_alloc&) {
            ReportOutOfMemory(owner);
        } catch (const std::length_error&) {
            ReportOutOfMemory(owner);
        } catch (...) {
            AfxMessageBox(owner, kUnexpectedErrorText, MB_OK | MB_ICONSTOP);
        }
    } catch (...) {
        // Building the text of the report needed memory there was not.
        ReportOutOfMemory(owner);
    }
}
