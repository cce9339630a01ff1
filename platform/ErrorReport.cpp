// Message boxes with the application's title, and error reports.
#include "platform/ErrorReport.h"

std::string AfxGetAppTitle() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    const auto slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot != 0)
        name.erase(dot);
    return name;
}

int AfxMessageBox(HWND owner, const std::string& text, UINT type) {
    return MessageBoxA(owner, text.c_str(), AfxGetAppTitle().c_str(), type);
}

void ReportException(HWND owner, const CException& e) {
    if (dynamic_cast<const CMemoryException*>(&e) != nullptr) {
        ReportOutOfMemory(owner);
        return;
    }
    AfxMessageBox(owner, e.GetErrorMessage(), MB_OK | MB_ICONSTOP);
}

void ReportOutOfMemory(HWND owner) {
    // System-modal: with memory exhausted, the box must come up whatever the
    // state of the program's own windows.
    AfxMessageBox(owner, CMemoryException().GetErrorMessage(),
                  MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}
