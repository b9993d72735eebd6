#include "NetCommand.h"

#include <cstdlib>

NetCommand::NetCommand()
{
}

NetCommand::NetCommand(String command) : command(command)
{
}

NetCommand::~NetCommand()
{
}

void NetCommand::setCommand(String newCommand)
{
    command = newCommand;
}

String NetCommand::getCommand()
{
    return command.toLowerCase();
}

void NetCommand::put(String key, String value)
{
    Parameter* existing = find(key);
    if (existing)
        existing->value = value;
    else
        parameters.push_back(Parameter{key, value});
}

void NetCommand::put(String key, int value)
{
    put(key, String(value));
}

void NetCommand::putBool(String key, bool value)
{
    put(key, String(value ? "1" : "0"));
}

String NetCommand::getString(String key)
{
    Parameter* parameter = find(key);
    return parameter ? parameter->value.toLowerCase() : String();
}

int NetCommand::getInt(String key)
{
    return atoi(getString(key).getChars());
}

bool NetCommand::getBool(String key)
{
    static char const* const yes[] = {"1", "on", "ein", "true", "t", "wahr", "w"};
    String value = getString(key);
    for (char const* word : yes)
        if (value == String(word))
            return true;
    return false;
}

bool NetCommand::contains(String key)
{
    return find(key) != nullptr;
}

NetCommand::Parameter* NetCommand::find(String const& key)
{
    for (Parameter& parameter : parameters)
        if (parameter.key == key)
            return &parameter;
    return nullptr;
}

String NetCommand::toString()
{
    return format(false);
}

String NetCommand::toMaskedString()
{
    return format(true);
}

String NetCommand::maskString(String text)
{
    String result;
    for (unsigned int i = 0; i < text.length(); ++i) {
        if (text.charAt(i) == '"')
            result += '\\';
        result += text.charAt(i);
    }
    return result;
}

String NetCommand::format(bool masked)
{
    String result = command + " ";
    for (Parameter& parameter : parameters)
        result += parameter.key + "=\"" + (masked ? maskString(parameter.value) : parameter.value) +
            "\" ";
    return result.trim();
}
