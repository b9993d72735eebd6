#ifndef PROPERTYSHEETA_H
#define PROPERTYSHEETA_H

#include <windows.h>

#include "Dialog.h"
#include "LibApi.h"
#include "LinkedList.h"

class PropertySheetPage;

// A modal property sheet whose pages are library dialogs (PropertySheetPage). The list holds
// the pages, which the sheet owns and deletes with itself. Once the system has made the sheet's
// window, the window is attached and subclassed like a Dialog's, and stands in the dialog list.
class LIBAPI PropertySheetA : public Dialog, public LinkedList
{
public:
    // The parent's window owns the sheet; null makes a sheet without owner.
    explicit PropertySheetA(Window* parent);
    virtual ~PropertySheetA();

    static int CALLBACK PropSheetProc(HWND hwnd, UINT msg, LPARAM lParam);
    // Tells the sheet that a page has changes: it enables its Apply button.
    void changed(PropertySheetPage* page);

protected:
    virtual void addPage(PropertySheetPage* page);
    // Runs the sheet with the pages added so far; returns when it is closed, with the system's
    // result (-1 when the sheet could not be made).
    virtual INT_PTR create(char const* caption);
    // Every call of the sheet's callback, PSCB_INITIALIZED included, after the sheet's own work.
    virtual void notifyPsCreate(UINT msg, LPARAM lParam);

    static PropertySheetA* pPs;

private:
    void attach(HWND hwnd);
};

#endif
