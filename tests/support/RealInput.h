// Real mouse and keyboard input (SendInput): it goes through the system's input queue to the
// window under the cursor, or with the focus, in whatever process that is.
#ifndef REALINPUT_H
#define REALINPUT_H

#include <windows.h>

#include "WineWait.h"

namespace RealInput
{

inline bool send(INPUT input)
{
    return SendInput(1, &input, sizeof input) == 1;
}

// A mouse event at a screen point: the buttons' flags, or 0 for a move alone.
inline bool mouse(POINT p, DWORD buttons)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    // Normalised to 0..65535; one past the exact fraction so the system's rounding down lands
    // on the pixel itself.
    in.mi.dx = p.x * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
    in.mi.dy = p.y * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    return send(in);
}

// Moves the cursor to a screen point; true when it is there. Under Wine a pointer event of X
// that was still on its way can move the cursor once more, so the move is repeated until the
// cursor stays.
inline bool moveTo(POINT p)
{
    auto there = [&] {
        POINT at = {};
        return GetCursorPos(&at) && at.x == p.x && at.y == p.y;
    };
    int attempts = 0;
    while (!(mouse(p, 0) && waitUntil(there, 400)))
        if (++attempts == 5)
            return false;
    return true;
}

// Both button events carry the point too, so nothing can move the click away from it.
inline bool click(POINT p, bool right = false)
{
    return moveTo(p) && mouse(p, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN) &&
        mouse(p, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

inline bool key(WORD virtualKey)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    bool down = send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    return send(in) && down;
}

} // namespace RealInput

#endif
