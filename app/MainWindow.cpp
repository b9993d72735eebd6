#include "MainWindow.h"

#include "MainDialog.h"
#include "resource.h"

namespace
{
char const className[] = "Velmora KRX-40 MainKlasse";
// Registered once per process.
ATOM classAtom = 0;
}

MainWindow::MainWindow() : mainDialog(nullptr)
{
    if (classAtom == 0) {
        HINSTANCE instance = getMainInstance();
        classAtom = registerClass(0, instance, LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN)),
                                  LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr, className,
                                  nullptr);
    }
    // Fixed size, close box only; sized to the dialog in notifyCreate.
    createWindowEx(0, className, "Velmora KRX-40", WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                   CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr);
}

MainWindow::~MainWindow()
{
}

LRESULT MainWindow::notifyCreate(WPARAM, LPARAM)
{
    mainDialog = new MainDialog(this);
    sizeToDialog();
    return 0;
}

void MainWindow::sizeToDialog()
{
    RECT window, client;
    if (!getWindowRect(&window) || !getClientRect(&client))
        return;
    int frameWidth = (window.right - window.left) - (client.right - client.left);
    int frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
    POINT dialog = mainDialog->getWindowSize();
    setWindowSize(dialog.x + frameWidth, dialog.y + frameHeight, 0);
}

LRESULT MainWindow::notifyClose(WPARAM, LPARAM)
{
    destroyWindow();
    return 0;
}

LRESULT MainWindow::notifyDestroy(WPARAM, LPARAM)
{
    delete mainDialog;
    mainDialog = nullptr;
    PostQuitMessage(0);
    return 0;
}
