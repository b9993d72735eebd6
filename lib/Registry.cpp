#include "Registry.h"

#include <cstring>
#include <memory>
#include <vector>

#include "Win32Exception.h"

namespace
{

char const* const openError = "Fehler beim Öffnen der Registry.";
char const* const accessError = "Fehler beim Zugriff auf die Registry.";

// The registry calls return their error instead of setting the last error; the exception
// carries the thread's last error as it stands.
void check(LONG result)
{
    if (result != ERROR_SUCCESS)
        throw Win32Exception(accessError);
}

} // namespace

Registry::Registry(HKEY parent, char const* path) : key(nullptr), id(path)
{
    char noClass[] = "";
    if (RegCreateKeyExA(parent, path, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        key = nullptr;
        throw Win32Exception(openError);
    }
}

Registry::~Registry()
{
    // A destructor cannot throw: a failed close is only reported to the debugger.
    if (key && RegCloseKey(key) != ERROR_SUCCESS)
        OutputDebugStringA(accessError);
}

void Registry::setString(char const* key, String& value)
{
    setString(key, value.getChars());
}

void Registry::setString(char const* name, char const* value)
{
    DWORD size = static_cast<DWORD>(lstrlenA(value)) + 1;
    check(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<BYTE const*>(value), size));
}

void Registry::setLong(char const* name, long value)
{
    check(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<BYTE const*>(&value), 4));
}

void Registry::setUnsigned(char const* name, unsigned long value)
{
    check(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<BYTE const*>(&value), 4));
}

String Registry::getString(char const* name)
{
    DWORD size = 0;
    check(RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size));
    if (size == 0)
        return String("");
    // One extra NUL: a stored text need not end with one.
    std::vector<char> buffer(size + 1, '\0');
    check(RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                           &size));
    return String(buffer.data());
}

long Registry::getLong(char const* name)
{
    long value = 0;
    DWORD size = 4;
    check(RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size));
    return value;
}

unsigned long Registry::getUnsigned(char const* name)
{
    unsigned long value = 0;
    DWORD size = 4;
    check(RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size));
    return value;
}

void Registry::deleteKey(char const* name)
{
    check(RegDeleteValueA(key, name));
}

void Registry::deleteSubKey(char const* name)
{
    std::unique_ptr<Konfiguration> child(createSubKey(name));
    LinkedList* names = child->listSubKeys();
    for (long i = 0; i < static_cast<long>(names->size()); ++i)
        child->deleteSubKey(static_cast<String*>(names->elementAt(i))->getChars());
    child->deleteKeyList(names);
    names = child->listKeys();
    for (long i = 0; i < static_cast<long>(names->size()); ++i)
        child->deleteKey(static_cast<String*>(names->elementAt(i))->getChars());
    child->deleteKeyList(names);
    // The child's key must be closed before its key can go.
    child.reset();
    check(RegDeleteKeyA(key, name));
}

Konfiguration* Registry::createSubKey(char const* name)
{
    return new Registry(key, name);
}

LinkedList* Registry::listKeys()
{
    return listNames(false);
}

LinkedList* Registry::listSubKeys()
{
    return listNames(true);
}

LinkedList* Registry::listNames(bool subKeys)
{
    DWORD subKeyCount = 0, longestSubKey = 0, valueCount = 0, longestValue = 0;
    check(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeyCount, &longestSubKey, nullptr,
                           &valueCount, &longestValue, nullptr, nullptr, nullptr));
    DWORD count = subKeys ? subKeyCount : valueCount;
    std::vector<char> name((subKeys ? longestSubKey : longestValue) + 1);
    LinkedList* list = new LinkedList();
    for (DWORD i = 0; i < count; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        LONG result = subKeys
            ? RegEnumKeyExA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr)
            : RegEnumValueA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) {
            deleteKeyList(list);
            throw Win32Exception(accessError);
        }
        list->insertAfter(new String(name.data()));
    }
    return list;
}

bool Registry::contains(LinkedList* names, char const* name)
{
    bool found = false;
    for (long i = 0; !found && i < static_cast<long>(names->size()); ++i)
        found = std::strcmp(static_cast<String*>(names->elementAt(i))->getChars(), name) == 0;
    deleteKeyList(names);
    return found;
}

bool Registry::existsKey(char const* name)
{
    return contains(listKeys(), name);
}

bool Registry::existsSubKey(char const* name)
{
    return contains(listSubKeys(), name);
}

void Registry::setBool(char const* name, bool value)
{
    setLong(name, value ? 1 : 0);
}

bool Registry::getBool(char const* name)
{
    return getLong(name) != 0;
}

String Registry::getId()
{
    return id;
}

void Registry::deleteKeyList(LinkedList* list)
{
    while (list->size() > 0)
        delete static_cast<String*>(list->removeLast());
    delete list;
}

void Registry::load(String&)
{
}

void Registry::save(String&)
{
}
