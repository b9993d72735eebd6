#include "Win32File.h"

#include "Win32Exception.h"

Win32File::Win32File(String const& name, unsigned int modus, unsigned int share, bool readWrite)
    : File(name, modus), handle(INVALID_HANDLE_VALUE)
{
    create(name, modus, share, readWrite);
}

Win32File::Win32File(String const& name, unsigned int modus, unsigned int share)
    : File(name, modus), handle(INVALID_HANDLE_VALUE)
{
    create(name, modus, share, true);
}

Win32File::Win32File(String const& name, unsigned int modus)
    : File(name, modus), handle(INVALID_HANDLE_VALUE)
{
    create(name, modus, 0, true);
}

Win32File::Win32File(Win32File const& other) : File(other), handle(duplicate(other.handle))
{
}

Win32File& Win32File::operator=(Win32File const& other)
{
    if (this != &other) {
        HANDLE copy = duplicate(other.handle);
        CloseHandle(handle);
        handle = copy;
    }
    return *this;
}

Win32File::~Win32File()
{
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}

void Win32File::create(String const& name, unsigned int modus, unsigned int share, bool readWrite)
{
    DWORD access = readWrite ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    handle = CreateFileA(name.getChars(), access, share, nullptr, translateModus(modus),
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        String text = String("Fehler beim Öffnen der Datei: ") + name + ".";
        throw Win32Exception(text);
    }
}

unsigned int Win32File::translateModus(unsigned int modus)
{
    switch (modus) {
    case 1: return CREATE_NEW;
    case 2: return CREATE_ALWAYS;
    case 3: return OPEN_EXISTING;
    case 4: return OPEN_ALWAYS;
    case 5: return TRUNCATE_EXISTING;
    default: return 0; // not a disposition: CreateFile refuses it
    }
}

HANDLE Win32File::duplicate(HANDLE source)
{
    HANDLE process = GetCurrentProcess();
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(process, source, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        throw Win32Exception("Fehler beim Kopieren des Dateihandles.");
    return copy;
}

unsigned long Win32File::getSize()
{
    return GetFileSize(handle, nullptr);
}

unsigned long Win32File::read(char* buffer, unsigned long count)
{
    DWORD done = 0;
    if (!ReadFile(handle, buffer, count, &done, nullptr))
        return 0;
    return done;
}

unsigned long Win32File::write(char* buffer, unsigned long count)
{
    DWORD done = 0;
    if (!WriteFile(handle, buffer, count, &done, nullptr))
        return 0;
    return done;
}

unsigned long Win32File::write(String text)
{
    return write(text.getChars(), text.length());
}

void Win32File::goToEnd()
{
    // With a high part of 0 the low part counts as unsigned, so sizes from 2 to 4 GiB work too.
    LONG high = 0;
    SetFilePointer(handle, static_cast<LONG>(getSize()), &high, FILE_BEGIN);
}

void Win32File::flush()
{
    FlushFileBuffers(handle);
}
