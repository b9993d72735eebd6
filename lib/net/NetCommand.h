#ifndef NETCOMMAND_H
#define NETCOMMAND_H

#include <vector>

#include "LibApi.h"
#include "String.h"

// One command of the line protocol: a command word and named text parameters, kept in the
// order they were first put. Keys compare exactly; the getters give the command and values in
// lower case.
class LIBAPI NetCommand
{
public:
    NetCommand();
    NetCommand(String command);
    ~NetCommand();

    void setCommand(String command);
    String getCommand();

    // A key put again keeps its place and gets the new value.
    void put(String key, String value);
    void put(String key, int value);
    void putBool(String key, bool value);
    // "" when absent.
    String getString(String key);
    // atoi of the value: 0 when absent or not a number.
    int getInt(String key);
    // true for "1", "on", "ein", "true", "t", "wahr", "w" in any case; false otherwise.
    bool getBool(String key);
    bool contains(String key);

    // The command word, then key="value" for each parameter, separated by single spaces.
    String toString();
    // As toString, with each double quote in a value written as backslash, double quote: the
    // form sent on the wire.
    String toMaskedString();

private:
    NetCommand(NetCommand const&) = delete;
    NetCommand& operator=(NetCommand const&) = delete;

    struct Parameter
    {
        String key;
        String value;
    };

    String maskString(String text);
    String format(bool masked);
    Parameter* find(String const& key);

    String command;
    // A plain vector, not the library's Map: a command lives for one line and is not shared
    // between threads, and the Map's system mutex costs a wineserver round trip per call.
    std::vector<Parameter> parameters;
};

#endif
