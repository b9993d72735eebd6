#include "WrapperSection.h"

#include <cstdio>
#include <initializer_list>

#include "SettingsSheet.h"
#include "WrapperLayout.h"

using namespace WrapperLayout;

namespace
{
// A line of text in the section's column; SS_NOTIFY lets a tooltip see the mouse on it.
HWND textLine(Window* gallery, char const* text, int y, int id = -1)
{
    HWND line = CreateWindowExA(
        0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFTNOWORDWRAP, paneX, y,
        paneWidth, 18, gallery->getHwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleA(nullptr), nullptr);
    SendMessageA(line, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return line;
}
} // namespace

WrapperSection::WrapperSection(Window* gallery)
    : gallery(gallery), pane(gallery), drawing(&pane),
      combo(gallery, comboId, paneX, comboY, 200, 120, 18),
      menuInfo(textLine(gallery, "Menü: noch kein Befehl", menuInfoY, menuInfoId), gallery),
      tips(gallery)
{
    textLine(gallery, "Bildlauf (ScrollPane): Leisten, Pfeil- und Bildtasten", paneLabelY);
    textLine(gallery, "Auswahl (WndComboBox), Tooltips (WndToolTip)", comboLabelY);
    pane.setClient(&drawing);
    SendMessageA(combo.getHwnd(), WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    for (char const* speed : {"Langsam", "Normal", "Schnell"})
        combo.insertString(speed);
    combo.setCurSel(1);
    tips.addTool(&combo, "Geschwindigkeit wählen");
    tips.addTool(&drawing, "Rechtsklick öffnet ein Menü");
    tips.addTool(&menuInfo, "Was der letzte Menübefehl getan hat");
    addMenuBar();
}

WrapperSection::~WrapperSection()
{
}

void WrapperSection::addMenuBar()
{
    HMENU bar = CreateMenu();
    if (bar == nullptr || !SetMenu(gallery->getHwnd(), bar))
        return;
    // The window's own menu: it goes with the window, the objects only fill it.
    Menue menuBar(gallery, false);
    Menue file(true), window(true);
    file.appendMenu(MF_STRING, cmdSettings, "&Einstellungen...");
    file.appendMenu(MF_SEPARATOR, 0, nullptr);
    file.appendMenu(MF_STRING, cmdExit, "&Beenden");
    window.appendMenu(MF_STRING, cmdExtendSystemMenu, "Systemmenü &erweitern");
    window.appendMenu(MF_STRING, cmdRestoreSystemMenu, "Systemmenü &zurücksetzen");
    window.enableMenuItem(cmdRestoreSystemMenu, MF_GRAYED);
    menuBar.insertMenu(0, MF_BYPOSITION | MF_POPUP, &file, "&Datei");
    menuBar.insertMenu(1, MF_BYPOSITION | MF_POPUP, &window, "&Fenster");
    // The sub menus now belong to the bar; their objects must not destroy them.
    file.init();
    window.init();

    // The bar takes its height from the client: grow the frame so the client keeps its size.
    RECT client, frame;
    if (GetClientRect(gallery->getHwnd(), &client) && GetWindowRect(gallery->getHwnd(), &frame)) {
        RECT wanted = client;
        DWORD style = static_cast<DWORD>(gallery->getWindowLong(GWL_STYLE));
        DWORD exStyle = static_cast<DWORD>(gallery->getWindowLong(GWL_EXSTYLE));
        if (AdjustWindowRectEx(&wanted, style, TRUE, exStyle))
            gallery->moveWindow(frame.left, frame.top, wanted.right - wanted.left,
                                wanted.bottom - wanted.top, TRUE);
    }
}

bool WrapperSection::command(int id)
{
    Menue bar(gallery, false);
    switch (id) {
    case cmdSettings: {
        SettingsSheet sheet(gallery);
        sheet.run();
        showMenuInfo("Einstellungen geschlossen");
        return true;
    }
    case cmdExit: gallery->postMessage(WM_CLOSE, 0, 0); return true;
    case cmdExtendSystemMenu:
        if (!systemMenu) {
            systemMenu.reset(new Menue(gallery, true));
            systemMenu->appendMenu(MF_SEPARATOR, 0, nullptr);
            systemMenu->appendMenu(MF_STRING, sysAbout, "Über die Galerie...");
            bar.enableMenuItem(cmdExtendSystemMenu, MF_GRAYED);
            bar.enableMenuItem(cmdRestoreSystemMenu, MF_ENABLED);
        }
        showMenuInfo("Systemmenü erweitert");
        return true;
    case cmdRestoreSystemMenu:
        systemMenu.reset();
        bar.enableMenuItem(cmdExtendSystemMenu, MF_ENABLED);
        bar.enableMenuItem(cmdRestoreSystemMenu, MF_GRAYED);
        showMenuInfo("Systemmenü zurückgesetzt");
        return true;
    default: return false;
    }
}

bool WrapperSection::sysCommand(WPARAM command)
{
    if ((command & 0xFFF0) != static_cast<WPARAM>(sysAbout))
        return false;
    gallery->messageBox("ControlGallery zeigt die Steuerelemente der Klassenbibliothek.",
                        "Über die Galerie", MB_OK | MB_ICONINFORMATION);
    return true;
}

void WrapperSection::showMenuInfo(char const* what)
{
    // The item count comes from the window itself, not from the object that changed it.
    char text[96];
    std::snprintf(text, sizeof text, "Menü: %s (Systemmenü: %d Einträge)", what,
                  GetMenuItemCount(GetSystemMenu(gallery->getHwnd(), FALSE)));
    menuInfo.setWindowText(text);
}
