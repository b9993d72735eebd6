#ifndef WRAPPERSECTION_H
#define WRAPPERSECTION_H

#include <memory>

#include "GalleryDrawing.h"
#include "GalleryPane.h"
#include "gui/Menue.h"
#include "gui/WndComboBox.h"
#include "gui/WndToolTip.h"

// The gallery's part for the library's wrappers: a menu bar, a scroll pane around a large
// drawing (with its popup menu), a combo box, tooltips on the controls, and the items that
// extend the window's system menu and restore it. The gallery window hands it the menu and
// system commands it does not know itself.
class WrapperSection
{
public:
    explicit WrapperSection(Window* gallery);
    ~WrapperSection();

    // true when the command was one of this section's.
    bool command(int id);
    bool sysCommand(WPARAM command);

private:
    WrapperSection(WrapperSection const&) = delete;
    WrapperSection& operator=(WrapperSection const&) = delete;

    void addMenuBar();
    void showMenuInfo(char const* what);

    Window* gallery;
    GalleryPane pane;
    GalleryDrawing drawing;
    WndComboBox combo;
    Window menuInfo;
    WndToolTip tips;
    // Present while the system menu carries the gallery's item; its end restores the menu.
    std::unique_ptr<Menue> systemMenu;
};

#endif
