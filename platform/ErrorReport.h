// Message boxes of the framework: every one captioned with the application's
// title, and the report of an error that left a handler.
#pragma once

#include "platform/Exceptions.h"

#include <windows.h>

#include <string>

// The executable's file name without folder and extension.
std::string AfxGetAppTitle();

// A message box captioned with the application's title, owned by the box in
// front of `owner` (its last active popup), which gets the keyboard back
// when it closes. The reports below are owned the same way.
int AfxMessageBox(HWND owner, const std::string& text, UINT type);

// Reports the error being handled; call it only from inside a catch block.
// The framework's errors show their text in a stop-icon box; running out of
// memory (the framework's memory error, std::bad_alloc, or a size that no
// container can hold) shows "Out of memory." in a system-modal box with the
// exclamation icon; anything else a stop-icon box of its own. Nothing
// escapes it.
void ReportCurrentException(HWND owner) noexcept;

// The memory report. It needs no memory of its own: with none left, the
// box must still come up.
void ReportOutOfMemory(HWND owner) noexcept;
