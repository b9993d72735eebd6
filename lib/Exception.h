#ifndef EXCEPTION_H
#define EXCEPTION_H

#include <exception>

#include "LibApi.h"
#include "String.h"

// Every failure of the library is thrown by value as an Exception (or a Win32Exception)
// and caught by reference; the text is complete and ready to show.
class LIBAPI Exception : public std::exception
{
public:
    Exception(String& text);
    Exception(char const* text);
    Exception(Exception const& other);
    Exception& operator=(Exception const& other);
    virtual ~Exception();

    virtual char const* what() const noexcept override;
    virtual String toString() const;

protected:
    String message;
};

#endif
