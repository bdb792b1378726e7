// velloran.exe: the server browser.
#include "app/BrowserApp.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    app::CBrowserApp application;
    return application.Run();
}
