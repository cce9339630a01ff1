// Program start through WinExec, which keeps no handle.
#include "platform/Process.h"

#include <windows.h>

bool StartProgram(const char* commandLine) {
    // WinExec returns a value above 31 on success.
    return WinExec(commandLine, SW_SHOW) > 31;
}
