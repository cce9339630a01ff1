// The one application object of Quillmere.exe.
#include "app/LauncherApp.h"

CLauncherApp theApp;
