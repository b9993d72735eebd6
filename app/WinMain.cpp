#include <windows.h>
#include <commctrl.h>

#include "CommandLine.h"
#include "Dialog.h"
#include "MainWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    parseCommandLine(commandLine);
    // The tab control, progress bar and up-down control of the dialogs.
    InitCommonControls();
    Window::setMainInstance(instance);
    MainWindow* mainWindow = new MainWindow();

    MSG msg;
    // GetMessage returns -1 on failure: that ends the loop too, instead of spinning.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (Dialog::isAnyDialogMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    delete mainWindow;
    return 0;
}
