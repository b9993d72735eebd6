#ifndef MENUE_H
#define MENUE_H

#include <windows.h>

#include "LibApi.h"

class Window;

// A menu: loaded, made empty, or a window's own menu bar or system menu. The object owns its
// menu handle, except a window's menu bar, which goes with its window. A window's system menu
// is the window's again (its default) once the object is gone.
class LIBAPI Menue
{
public:
    Menue(HINSTANCE instance, unsigned short id);
    // A popup menu when true, a menu bar otherwise.
    explicit Menue(bool popup);
    // system: the window's system menu; otherwise its menu bar.
    Menue(Window* window, bool system);

    virtual void init();
    virtual ~Menue();
    // With TPM_RETURNCMD the chosen item's id (0 when none), otherwise success.
    virtual BOOL trackPopupMenu(unsigned int flags, int x, int y, Window* owner, RECT const* rect);
    virtual BOOL appendMenu(unsigned int flags, UINT_PTR id, char const* text);
    virtual BOOL insertMenu(unsigned int position, unsigned int flags, UINT_PTR id,
                            char const* text);
    // The sub menu's handle goes in as the item's id; the sub menu then belongs to this menu.
    virtual BOOL insertMenu(unsigned int position, unsigned int flags, Menue* sub,
                            char const* text);
    virtual BOOL modifyMenu(unsigned int position, unsigned int flags, UINT_PTR id,
                            char const* text);
    virtual BOOL removeMenu(unsigned int position, unsigned int flags);
    // The item's previous state, or -1 when there is no such item.
    virtual DWORD enableMenuItem(unsigned int id, unsigned int enable);
    virtual BOOL setMenuItemBitmaps(unsigned int position, unsigned int flags, HBITMAP unchecked,
                                    HBITMAP checked);
    virtual int getMenuItemCount();
    virtual UINT getMenuItemID(int position);
    virtual BOOL getMenuItemInfo(unsigned int item, BOOL byPosition, MENUITEMINFOA* info);

private:
    Menue(Menue const&) = delete;
    Menue& operator=(Menue const&) = delete;

    HMENU menu;
    bool owned;
    HWND systemMenuOf;
};

#endif
