#ifndef WNDTOOLTIP_H
#define WNDTOOLTIP_H

#include <windows.h>

#include "LibApi.h"
#include "String.h"
#include "Window.h"

// A tooltip control for windows of the parent: each tool is a window, and the control watches
// its mouse messages itself (TTF_SUBCLASS), so the tip appears when the mouse rests on it.
class LIBAPI WndToolTip : public virtual Window
{
public:
    explicit WndToolTip(Window* parent);
    virtual ~WndToolTip();

    // TRUE when the tool was added.
    LRESULT addTool(Window* tool, String text);
    LRESULT updateText(Window* tool, String text);
    LRESULT activate(bool active);

private:
    LRESULT sendTool(UINT msg, Window* tool, String& text);
};

#endif
