#include "JsonLine.h"

#include <stdio.h>

void JsonLine::key(char const* name)
{
    if (!fields.empty())
        fields += ",";
    fields += "\"";
    fields += name;
    fields += "\":";
}

JsonLine& JsonLine::text(char const* name, std::string const& value)
{
    key(name);
    fields += "\"";
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            fields += '\\';
            fields += static_cast<char>(c);
        } else if (c == '\n') {
            fields += "\\n";
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            fields += escape;
        } else {
            fields += static_cast<char>(c);
        }
    }
    fields += "\"";
    return *this;
}

JsonLine& JsonLine::number(char const* name, unsigned long value)
{
    key(name);
    fields += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::flag(char const* name, bool value)
{
    key(name);
    fields += value ? "true" : "false";
    return *this;
}
