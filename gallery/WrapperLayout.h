#ifndef WRAPPERLAYOUT_H
#define WRAPPERLAYOUT_H

// Where the gallery shows the library's wrappers (scroll pane, menus, property sheet, combo box,
// tooltips) and the ids of their windows and commands; free of the library's headers so that
// tests can include it.
namespace WrapperLayout {
// The scroll pane in the right half of the window and the drawing it scrolls.
int const paneX = 380, paneY = 10, paneWidth = 330, paneHeight = 220;
int const drawingWidth = 900, drawingHeight = 700;
int const paneId = 110, drawingId = 111;
// The combo box and the line that tells what the last menu command did.
int const comboId = 112, menuInfoId = 113;
int const comboY = 240, menuInfoY = 275;

// Commands of the menu bar and the drawing's popup menu.
int const cmdSettings = 210, cmdExit = 211, cmdExtendSystemMenu = 212, cmdRestoreSystemMenu = 213;
int const cmdToStart = 220, cmdToEnd = 221;
// The item added to the system menu (a system command: a multiple of 16).
int const sysAbout = 0x7710;

// Where the settings live.
char const settingsKey[] = "Software\\Velmora\\ControlGallery";
} // namespace WrapperLayout

#endif
