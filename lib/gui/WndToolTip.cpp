#include "WndToolTip.h"

#include <commctrl.h>

WndToolTip::WndToolTip(Window* parent)
{
    storeParent(parent);
    setHwnd(createWindowEx(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr));
}

WndToolTip::~WndToolTip()
{
    destroyWindow();
}

LRESULT WndToolTip::addTool(Window* tool, String text)
{
    return sendTool(TTM_ADDTOOLA, tool, text);
}

LRESULT WndToolTip::updateText(Window* tool, String text)
{
    return sendTool(TTM_UPDATETIPTEXTA, tool, text);
}

LRESULT WndToolTip::activate(bool active)
{
    return sendMessage(TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

LRESULT WndToolTip::sendTool(UINT msg, Window* tool, String& text)
{
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = getParent()->getHwnd();
    info.uId = reinterpret_cast<UINT_PTR>(tool->getHwnd());
    info.hinst = getMainInstance();
    info.lpszText = text.getChars();
    return sendMessage(msg, 0, reinterpret_cast<LPARAM>(&info));
}
