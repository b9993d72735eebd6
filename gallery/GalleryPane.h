#ifndef GALLERYPANE_H
#define GALLERYPANE_H

#include "gui/ScrollPane.h"

// The gallery's scroll pane: a bordered child window that scrolls its client with the bars,
// with the arrow and page keys, and offers a popup menu on a right click.
class GalleryPane : public ScrollPane
{
public:
    explicit GalleryPane(Window* parent);

protected:
    LRESULT notifyKeyDown(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyContextmenu(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyCommand(WPARAM wParam, LPARAM lParam) override;
};

#endif
