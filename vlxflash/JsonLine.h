#ifndef JSONLINE_H
#define JSONLINE_H

#include <string>

// One JSON object on one line, built field by field. Texts stay Windows-1252 here (only quotes,
// backslashes and control characters are escaped); ConsoleText writes the line as UTF-8.
class JsonLine
{
public:
    JsonLine& text(char const* name, std::string const& value);
    JsonLine& number(char const* name, unsigned long value);
    JsonLine& flag(char const* name, bool value);
    std::string str() const { return "{" + fields + "}"; }

private:
    void key(char const* name);
    std::string fields;
};

#endif
