// The reference for the start-up benchmark: the least a dialog program does under Wine (common
// controls, one modal dialog from a template with a drop-down list holding "1" and "3").
#include <windows.h>
#include <commctrl.h>

namespace
{

INT_PTR CALLBACK dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, 1002, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("1"));
        SendDlgItemMessageA(dialog, 1002, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("3"));
        SendDlgItemMessageA(dialog, 1002, CB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InitCommonControls();
    DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, dialogProc, 0);
    return 0;
}
