// Real mouse and keyboard input (SendInput): it goes through the system's input queue to the
// window under the cursor, or with the focus, in whatever process that is.
#ifndef REALINPUT_H
#define REALINPUT_H

#include <windows.h>

namespace RealInput {

inline bool send(INPUT input) { return SendInput(1, &input, sizeof input) == 1; }

// Moves the cursor to a screen point; true when it arrived there.
inline bool moveTo(POINT p)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    // Normalised to 0..65535; one past the exact fraction so the system's rounding down lands
    // on the pixel itself.
    in.mi.dx = p.x * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
    in.mi.dy = p.y * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    POINT at = {};
    return send(in) && GetCursorPos(&at) && at.x == p.x && at.y == p.y;
}

inline bool click(POINT p, bool right = false)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    if (!moveTo(p) || !send(in))
        return false;
    in.mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    return send(in);
}

inline bool key(WORD virtualKey)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    if (!send(in))
        return false;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    return send(in);
}

} // namespace RealInput

#endif
