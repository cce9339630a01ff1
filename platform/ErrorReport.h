// Message boxes of the framework: every one captioned with the application's
// title, and the report of an error that left a handler.
#pragma once

#include "platform/Exceptions.h"

#include <windows.h>

#include <string>

// The executable's file name without folder and extension.
std::string AfxGetAppTitle();

// A message box captioned with the application's title.
int AfxMessageBox(HWND owner, const std::string& text, UINT type);

// Reports an error to the user: a stop-icon box with the error's text; the
// memory error in a system-modal box with the exclamation icon.
void ReportException(HWND owner, const CException& e);
void ReportOutOfMemory(HWND owner);
