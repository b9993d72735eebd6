#include "WndComboBox.h"

WndComboBox::WndComboBox(Window* parent, int id, int x, int y, int width, int height,
                         int fieldHeight)
{
    storeParent(parent);
    // A system class: its window never passes our procedure, so the handle is taken here.
    setHwnd(createWindowEx(0, "COMBOBOX", "", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST, x, y, width,
                           height, parent->getHwnd(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))));
    sendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight);
    showWindow(SW_SHOW);
}

WndComboBox::~WndComboBox()
{
    destroyWindow();
}

LRESULT WndComboBox::insertString(String text)
{
    return sendMessage(CB_INSERTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(text.getChars()));
}

LRESULT WndComboBox::getCurSel()
{
    return sendMessage(CB_GETCURSEL, 0, 0);
}

LRESULT WndComboBox::setCurSel(int index)
{
    return sendMessage(CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT WndComboBox::setItemData(unsigned int index, void* data)
{
    return sendMessage(CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data));
}

void* WndComboBox::getItemData(unsigned int index)
{
    return reinterpret_cast<void*>(sendMessage(CB_GETITEMDATA, index, 0));
}

LRESULT WndComboBox::reset()
{
    return sendMessage(CB_RESETCONTENT, 0, 0);
}
