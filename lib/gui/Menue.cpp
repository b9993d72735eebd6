#include "Menue.h"

#include "Window.h"

Menue::Menue(HINSTANCE instance, unsigned short id)
{
    init();
    menu = LoadMenuA(instance, MAKEINTRESOURCEA(id));
}

Menue::Menue(bool popup)
{
    init();
    menu = popup ? CreatePopupMenu() : CreateMenu();
}

Menue::Menue(Window* window, bool system)
{
    init();
    if (system) {
        menu = GetSystemMenu(window->getHwnd(), FALSE);
        systemMenuOf = window->getHwnd();
    } else {
        menu = GetMenu(window->getHwnd());
        owned = false;
    }
}

void Menue::init()
{
    menu = nullptr;
    owned = true;
    systemMenuOf = nullptr;
}

Menue::~Menue()
{
    if (owned && menu != nullptr)
        DestroyMenu(menu);
    // TRUE throws the window's changed copy away: the window shows its default menu again.
    if (systemMenuOf != nullptr)
        GetSystemMenu(systemMenuOf, TRUE);
}

BOOL Menue::trackPopupMenu(unsigned int flags, int x, int y, Window* owner, RECT const* rect)
{
    return TrackPopupMenu(menu, flags, x, y, 0, owner->getHwnd(), rect);
}

BOOL Menue::appendMenu(unsigned int flags, UINT_PTR id, char const* text)
{
    return AppendMenuA(menu, flags, id, text);
}

BOOL Menue::insertMenu(unsigned int position, unsigned int flags, UINT_PTR id, char const* text)
{
    return InsertMenuA(menu, position, flags, id, text);
}

BOOL Menue::insertMenu(unsigned int position, unsigned int flags, Menue* sub, char const* text)
{
    return InsertMenuA(menu, position, flags, reinterpret_cast<UINT_PTR>(sub->menu), text);
}

BOOL Menue::modifyMenu(unsigned int position, unsigned int flags, UINT_PTR id, char const* text)
{
    return ModifyMenuA(menu, position, flags, id, text);
}

BOOL Menue::removeMenu(unsigned int position, unsigned int flags)
{
    return RemoveMenu(menu, position, flags);
}

DWORD Menue::enableMenuItem(unsigned int id, unsigned int enable)
{
    return EnableMenuItem(menu, id, enable);
}

BOOL Menue::setMenuItemBitmaps(unsigned int position, unsigned int flags, HBITMAP unchecked,
                               HBITMAP checked)
{
    return SetMenuItemBitmaps(menu, position, flags, unchecked, checked);
}

int Menue::getMenuItemCount()
{
    return GetMenuItemCount(menu);
}

UINT Menue::getMenuItemID(int position)
{
    return GetMenuItemID(menu, position);
}

BOOL Menue::getMenuItemInfo(unsigned int item, BOOL byPosition, MENUITEMINFOA* info)
{
    return GetMenuItemInfoA(menu, item, byPosition, info);
}
