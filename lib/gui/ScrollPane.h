#ifndef SCROLLPANE_H
#define SCROLLPANE_H

#include <windows.h>

#include "LibApi.h"
#include "Window.h"

// A window that shows part of a larger child window, its client, and scrolls it with its own
// scroll bars: the client stands at (-scroll x, -scroll y) inside the pane, and a bar is shown
// exactly when the client is larger than the pane in its direction. A derived class creates
// the pane's window; this class supplies the scrolling.
class LIBAPI ScrollPane : public virtual Window
{
public:
    ScrollPane();
    virtual ~ScrollPane();

    // The client is not owned.
    virtual void setClient(Window* newClient);
    virtual void calculateScrollBars();
    // The offsets {scroll x, scroll y}, not a window position.
    virtual POINT getClientPos();
    virtual void setClientPos(int x, int y);
    // Whether the user scrolled since the last call.
    virtual bool isScrolled();

protected:
    virtual LRESULT notifySize(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyVScroll(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyHScroll(WPARAM wParam, LPARAM lParam) override;

private:
    // One scroll request on one axis: the new offset, or the old one when nothing moves.
    static int scrolledOffset(int request, int thumb, int offset, int clientSize, int visible);
    void scroll(int bar, WPARAM wParam);
    void moveClient(BOOL repaint);

    Window* client;
    int scrollX;
    int scrollY;
    bool scrolled;
};

#endif
