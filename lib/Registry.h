#ifndef REGISTRY_H
#define REGISTRY_H

#include <windows.h>

#include "Konfiguration.h"

// A Konfiguration on one registry key: texts as REG_SZ, numbers and flags as 4-byte REG_DWORD,
// sections as sub keys. Every failed registry call throws a Win32Exception.
class LIBAPI Registry : public Konfiguration
{
public:
    // Opens path under parent, creating it when missing.
    Registry(HKEY parent, char const* path);
    virtual ~Registry();

    using Konfiguration::getBool;
    using Konfiguration::getLong;
    using Konfiguration::getString;
    using Konfiguration::getUnsigned;

    virtual void setString(char const* key, String& value) override;
    virtual void setString(char const* key, char const* value) override;
    virtual void setLong(char const* key, long value) override;
    virtual void setUnsigned(char const* key, unsigned long value) override;
    // Up to the first NUL; the stored type is not examined.
    virtual String getString(char const* key) override;
    // Reads 4 bytes whatever the stored type; a longer value throws.
    virtual long getLong(char const* key) override;
    virtual unsigned long getUnsigned(char const* key) override;
    virtual void deleteKey(char const* key) override;
    // Removes the section with everything below it.
    virtual void deleteSubKey(char const* name) override;
    virtual Konfiguration* createSubKey(char const* name) override;
    virtual LinkedList* listKeys() override;
    virtual LinkedList* listSubKeys() override;
    virtual bool existsKey(char const* key) override;
    virtual bool existsSubKey(char const* name) override;
    virtual void setBool(char const* key, bool value) override;
    virtual bool getBool(char const* key) override;
    virtual String getId() override;
    virtual void deleteKeyList(LinkedList* list) override;
    // A registry key is its own storage: nothing to load or save.
    virtual void load(String& source) override;
    virtual void save(String& target) override;

private:
    Registry(Registry const&) = delete;
    Registry& operator=(Registry const&) = delete;

    LinkedList* listNames(bool subKeys);
    bool contains(LinkedList* names, char const* name);

    HKEY key;
    String id;
};

#endif
