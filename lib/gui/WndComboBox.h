#ifndef WNDCOMBOBOX_H
#define WNDCOMBOBOX_H

#include <windows.h>

#include "LibApi.h"
#include "String.h"
#include "Window.h"

// A drop-down list (a system "COMBOBOX" control, shown at once) as a child of the parent's
// window; it reports to that window with WM_COMMAND and its id. Results are the control's own:
// CB_ERR (-1) when nothing is selected, CB_ERR or CB_ERRSPACE when an entry cannot be added.
class LIBAPI WndComboBox : public virtual Window
{
public:
    WndComboBox(Window* parent, int id, int x, int y, int width, int height, int fieldHeight);
    virtual ~WndComboBox();

    // Appends the entry; its index.
    LRESULT insertString(String text);
    LRESULT getCurSel();
    LRESULT setCurSel(int index);
    LRESULT setItemData(unsigned int index, void* data);
    void* getItemData(unsigned int index);
    LRESULT reset();
};

#endif
