#ifndef WRAPPERLAYOUT_H
#define WRAPPERLAYOUT_H

// Where the gallery shows the library's wrappers (scroll pane, menus, property sheet, combo box,
// tooltips) and the ids of their windows and commands; free of the library's headers so that
// tests can include it.
namespace WrapperLayout
{
// The scroll pane in the right half of the window and the drawing it scrolls; a label above it
// and above the combo box.
int const paneX = 380, paneY = 30, paneWidth = 330, paneHeight = 210;
int const paneLabelY = 10, comboLabelY = 252;
int const drawingWidth = 900, drawingHeight = 700;
int const paneId = 110, drawingId = 111;
// The combo box and the line that tells what the last menu command did.
int const comboId = 112, menuInfoId = 113;
int const comboY = 270, menuInfoY = 305;

// Commands of the menu bar and the drawing's popup menu, apart from every control id.
int const cmdSettings = 410, cmdExit = 411, cmdExtendSystemMenu = 412, cmdRestoreSystemMenu = 413;
int const cmdToStart = 420, cmdToEnd = 421;
// The item added to the system menu (a system command: a multiple of 16).
int const sysAbout = 0x7710;

// Where the settings live.
char const settingsKey[] = "Software\\Velmora\\ControlGallery";
} // namespace WrapperLayout

#endif
