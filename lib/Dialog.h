#ifndef DIALOG_H
#define DIALOG_H

#include <windows.h>

#include "LibApi.h"
#include "LinkedList.h"
#include "String.h"
#include "Window.h"

// A dialog from a template resource, modal or modeless. After WM_INITDIALOG the dialog window
// is subclassed with Window's procedure, so a message passes Window's notify handlers first
// and then, through the dialog manager, notifyDlgInit / notifyDlgCommand / notifyDlgNotify.
// Every dialog object stands in listDlg from create() until its destructor, so the message
// loop can give each one its keyboard navigation (isAnyDialogMessage).
class LIBAPI Dialog : public Window
{
public:
    Dialog();
    // For a modal dialog this returns only when the dialog has ended.
    Dialog(void* instance, Window* parent, unsigned short resourceId, bool modal);
    virtual ~Dialog();

    int isDialogMessage(MSG* msg);
    static int isAnyDialogMessage(MSG* msg);

    BOOL setDlgItemInt(int id, unsigned int value, int isSigned);
    unsigned int getDlgItemInt(int id, int* ok, int isSigned);
    BOOL setDlgItemText(int id, char const* text);
    String getDlgItemText(int id);
    LRESULT sendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam);
    unsigned int isDlgButtonChecked(int id);
    BOOL checkDlgButton(int id, unsigned int state);
    BOOL checkRadioButton(int first, int last, int check);
    // 0 when the dialog has no control of that id.
    BOOL enableDlgItem(int id, int enable);
    HWND getDlgItem(int id);
    BOOL endDialog(int result);
    int tabCtrlGetItemCount(int id);
    // Appends a tab with that text; returns its index, or -1.
    int tabCtrlInsertItem(int id, char* text);

    static LinkedList listDlg;

protected:
    virtual void create(void* instance, Window* parent, unsigned short resourceId, bool modal);
    virtual INT_PTR dlgProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam);
    virtual INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam);
    virtual INT_PTR notifyDlgNotify(WPARAM wParam, LPARAM lParam);

    static INT_PTR CALLBACK dlgProcCallBack(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void registerDialog();
    void unregisterDialog();
    bool isModal() const;

    // Dialog units to pixels, truncating toward zero.
    int mapBaseUnitsX(int x);
    int mapBaseUnitsY(int y);

    // What create() hands to WM_INITDIALOG; lives on create()'s stack.
    struct CreationBlock
    {
        Dialog* dialog;
        void* instance;
    };

private:
    bool modal;
};

#endif
