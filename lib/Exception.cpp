#include "Exception.h"

Exception::Exception(String& text) : message(text)
{
}

Exception::Exception(char const* text) : message(text)
{
}

Exception::Exception(Exception const& other) : std::exception(other), message(other.message)
{
}

Exception& Exception::operator=(Exception const& other)
{
    message = other.message;
    return *this;
}

Exception::~Exception()
{
}

char const* Exception::what() const noexcept
{
    return message.getChars();
}

String Exception::toString() const
{
    return message;
}
