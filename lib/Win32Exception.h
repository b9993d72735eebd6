#ifndef WIN32EXCEPTION_H
#define WIN32EXCEPTION_H

#include "Exception.h"

// An Exception for a failed Windows call: the text is followed by the system's description
// of the error code and "(Fehlercode: N)".
class LIBAPI Win32Exception : public Exception
{
public:
    // The code is the calling thread's last error, read here.
    Win32Exception(String& text);
    Win32Exception(char const* text);
    Win32Exception(String& text, unsigned long code);
    Win32Exception(char const* text, unsigned long code);
    Win32Exception(Win32Exception const& other);
    Win32Exception& operator=(Win32Exception const& other);
    virtual ~Win32Exception();

    unsigned long getCode() const;

private:
    void init();

    unsigned long code;
};

#endif
