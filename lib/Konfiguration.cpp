#include "Konfiguration.h"

Konfiguration::~Konfiguration()
{
}

String Konfiguration::getString(char const* key, String defaultValue)
{
    return existsKey(key) ? getString(key) : defaultValue;
}

long Konfiguration::getLong(char const* key, long defaultValue)
{
    return existsKey(key) ? getLong(key) : defaultValue;
}

unsigned long Konfiguration::getUnsigned(char const* key, unsigned long defaultValue)
{
    // The stored 32 bits are the same whichever way they are read.
    return existsKey(key) ? static_cast<unsigned long>(getLong(key)) : defaultValue;
}

bool Konfiguration::getBool(char const* key, bool defaultValue)
{
    return existsKey(key) ? getBool(key) : defaultValue;
}
