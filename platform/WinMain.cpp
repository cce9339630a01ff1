// The program's entry: hands control to the one application object.
#include "platform/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
