#ifndef SETTINGSSHEET_H
#define SETTINGSSHEET_H

#include "String.h"
#include "gui/PropertySheetA.h"

// The gallery's settings, kept in the registry (WrapperLayout::settingsKey, current user).
struct GallerySettings
{
    bool grid;
    long gridStep;
    String label;

    static GallerySettings load();
    void save();
};

// "Einstellungen": a sheet with the pages "Zeichnung" (grid on or off, its step) and
// "Beschriftung" (the drawing's label). Apply stores what the pages show and repaints the
// gallery; Cancel keeps what was stored.
class SettingsSheet : public PropertySheetA
{
public:
    explicit SettingsSheet(Window* gallery);
    // Shows the sheet modally; returns when it is closed.
    void run();
};

#endif
