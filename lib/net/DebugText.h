#ifndef DEBUGTEXT_H
#define DEBUGTEXT_H

#include <windows.h>

// The network classes' diagnostic texts go to an attached debugger only: OutputDebugString
// costs about 0.2 ms a call under Wine, several calls a received line, and nobody reads them
// without a debugger. Callers test debugTextWanted() before they build a text.
inline bool debugTextWanted()
{
    return IsDebuggerPresent() != FALSE;
}

inline void debugText(char const* text)
{
    if (debugTextWanted())
        OutputDebugStringA(text);
}

#endif
