// Starting another program.
#pragma once

// Starts `commandLine` with the window shown (SW_SHOW) and returns at once;
// no handle is kept. The bare program name is looked up in Windows' usual
// order: the launcher's folder, the current directory, the system folders,
// the search path. Returns whether the program started.
bool StartProgram(const char* commandLine);
