#ifndef KONFIGURATION_H
#define KONFIGURATION_H

#include "LibApi.h"
#include "LinkedList.h"
#include "String.h"

// A store of named settings (texts, numbers, flags) in a tree of sections. A "key" is a named
// value of the current section, a "sub key" a nested section. The reads with a default ask
// existsKey first, so a missing value gives the default instead of an exception.
class LIBAPI Konfiguration
{
public:
    virtual ~Konfiguration();

    virtual void setString(char const* key, String& value) = 0;
    virtual void setString(char const* key, char const* value) = 0;
    virtual void setLong(char const* key, long value) = 0;
    virtual void setUnsigned(char const* key, unsigned long value) = 0;
    virtual String getString(char const* key, String defaultValue);
    virtual String getString(char const* key) = 0;
    virtual long getLong(char const* key, long defaultValue);
    virtual long getLong(char const* key) = 0;
    virtual unsigned long getUnsigned(char const* key, unsigned long defaultValue);
    virtual unsigned long getUnsigned(char const* key) = 0;
    virtual void deleteKey(char const* key) = 0;
    virtual void deleteSubKey(char const* name) = 0;
    // The caller owns and deletes the section.
    virtual Konfiguration* createSubKey(char const* name) = 0;
    // New lists of new Strings, owned by the caller and given back with deleteKeyList.
    virtual LinkedList* listKeys() = 0;
    virtual LinkedList* listSubKeys() = 0;
    // Byte for byte, case-sensitive.
    virtual bool existsKey(char const* key) = 0;
    virtual bool existsSubKey(char const* name) = 0;
    virtual void setBool(char const* key, bool value) = 0;
    virtual bool getBool(char const* key, bool defaultValue);
    virtual bool getBool(char const* key) = 0;
    virtual String getId() = 0;
    virtual void deleteKeyList(LinkedList* list) = 0;
    virtual void load(String& source) = 0;
    virtual void save(String& target) = 0;
};

#endif
