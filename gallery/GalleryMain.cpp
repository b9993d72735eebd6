#include <windows.h>
#include <commctrl.h>

#include "Dialog.h"
#include "GalleryWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InitCommonControls();
    Window::setMainInstance(instance);
    GalleryWindow* gallery = new GalleryWindow();
    if (gallery->getHwnd() == nullptr) {
        MessageBoxA(nullptr, "Das Fenster der Galerie konnte nicht erstellt werden.", "Fehler",
                    MB_OK | MB_ICONERROR);
        delete gallery;
        return 1;
    }

    MSG msg;
    // GetMessage returns -1 on failure: that ends the loop too, instead of spinning.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (Dialog::isAnyDialogMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    delete gallery;
    return 0;
}
